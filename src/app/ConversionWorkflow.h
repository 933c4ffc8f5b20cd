#pragma once

#include <array>
#include <string>
#include <vector>

class BrowserProfile;
class ConverterApp;

// The actions behind the wizard's pages: importing the Korvadel database and browser profiles,
// writing the chosen output formats, and opening source and output folders. Every message and
// question goes through UserPrompt; an empty caption there means the application's title. The
// wizard keeps one workflow for its whole run; it holds the step-4 page's output flags.
class ConversionWorkflow {
public:
    // Output formats, in the order step 4 handles them.
    enum Format {
        kKorvadel = 0,
        kInternetExplorer = 1,
        kNetscape4 = 2,
        kNetscape6 = 3,
        kNetscape7 = 4,
        kOpera6 = 5,
        kFormatCount = 6,
    };

    // The four texts of one row of a profile list, and the profile it stands for.
    struct ProfileRow {
        std::string count;  // item count, "%5d"
        std::string kind;   // kind label ("I.E.", "NNv4", ...)
        std::string user;
        std::string path;  // favorites path
        BrowserProfile* profile = nullptr;
    };

    // What the last attempt at one format left: whether it was written, the number of entries
    // the writer reports (records for the light database) and the file or folder written to.
    struct OutputResult {
        bool written = false;
        int count = 0;
        std::string target;
    };

    explicit ConversionWorkflow(ConverterApp& app);

    // The row texts of a profile.
    static ProfileRow RowOf(BrowserProfile& profile);

    // Step 1, on Next: when ticked, loads "urldb.db" of the working folder into the shared URL
    // database and reports the outcome. True when the file was read.
    bool ImportKorvadelDatabase(bool ticked);
    // The same for a database file elsewhere (an internal path).
    bool ImportKorvadelDatabase(bool ticked, const std::string& path);

    // Steps 2 and 5, when the page opens: refills the application's ProfileList with every
    // detected profile and returns its rows in that order.
    std::vector<ProfileRow> ListProfiles();
    // The row of ProfileList at index, for refreshing it after an import.
    ProfileRow RowAt(int row) const;

    // Step 2, the import button: loads the profile of row (-1 when none is selected) and logs
    // its items. True when the profile now holds items, so that the row is to be refreshed.
    bool ImportProfile(int row);

    // Step 4, when the page first opens: clears the output flags and the per-kind output folders.
    void OpenCreationPage();
    // Step 4, the create button: asks for the output folder and writes each ticked format below
    // it. False when the user cancelled the folder choice (nothing written).
    bool CreateFavorites(const std::array<bool, kFormatCount>& ticked);
    // Whether the format was attempted since the page opened.
    bool OutputDone(Format format) const { return outputDone_[format]; }
    // The outcome of the format's attempt since the page opened; empty when not attempted.
    const OutputResult& Result(Format format) const { return results_[format]; }
    // Step 4, on Next: true to go on, asking first when no format was attempted.
    bool ConfirmLeavingCreation();

    // Step 5, the two buttons: open the selected row's own favorites folder, or the folder
    // written for its kind in this run (-1 when no row is selected).
    void OpenSourceFolder(int row);
    void OpenOutputFolder(int row);

private:
    BrowserProfile* ProfileAt(int row) const;
    void WriteLightDatabase(const std::string& base, const std::vector<BrowserProfile*>& profiles);
    void WriteBrowserFormat(Format format, const std::string& base, BrowserProfile& exportProfile);

    ConverterApp& app_;
    std::array<bool, kFormatCount> outputDone_{};
    std::array<OutputResult, kFormatCount> results_{};
};
