#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

class BrowserProfile;
class ExtractionConditions;
class FavoritesFile;
class FavoritesSetup;
class URLDB;
class WizardHost;

// The program's entry point and the owner of the state every wizard page works on: the four
// shared objects (URL database file, settings with the browser adapters, URL database, extraction
// conditions), the profile list shown by the pages, the folders written per browser kind and the
// folder last chosen for output.
class ConverterApp {
public:
    // Browser kinds 1 to 5 index LastOutputFolder() at kind - 1.
    static constexpr int kBrowserKinds = 5;

    ConverterApp();
    virtual ~ConverterApp();
    ConverterApp(const ConverterApp&) = delete;
    ConverterApp& operator=(const ConverterApp&) = delete;

    // Runs the whole program for the program file at programPath (an internal path): working
    // folder, log threshold from "DEBUG", shared objects, the wizard, release, "WORKFOLDER".
    // When the shared objects cannot all be created, tells the user and skips the wizard.
    // Returns false, so that no message loop follows.
    bool InitInstance(WizardHost& wizard, const std::string& programPath);
    // The same for the running program file.
    bool InitInstance(WizardHost& wizard);
    // When set, InitInstance reads the settings file but leaves it as it is ("WORKFOLDER" is
    // not written), for front ends that must not change it.
    void SetSettingsReadOnly(bool readOnly) { settingsReadOnly_ = readOnly; }

    // Creates the four shared objects once, each only if the one before was created; later
    // calls do nothing.
    void CreateSharedObjects();
    // Destroys whichever shared objects exist, in the order of creation.
    void ReleaseSharedObjects();
    // Whether all four shared objects exist.
    bool HasSharedObjects() const;

    FavoritesFile* GetFavoritesFile() const { return favoritesFile_.get(); }
    FavoritesSetup* GetFavoritesSetup() const { return favoritesSetup_.get(); }
    URLDB* GetURLDB() const { return urlDB_.get(); }
    ExtractionConditions* GetExtractionConditions() const { return conditions_.get(); }

    // The profiles shown in a page's list, in row order; the adapters own them.
    std::vector<BrowserProfile*>& ProfileList() { return profileList_; }
    // Per browser kind (index kind - 1): the folder written for it in this run, or empty.
    std::array<std::string, kBrowserKinds>& LastOutputFolder() { return lastOutputFolder_; }
    // The output folder last picked in the folder chooser; empty at start.
    std::string& ChosenFolder() { return chosenFolder_; }

    // The program's own settings file (when portable: working folder, program base name, ".ini");
    // set by InitInstance.
    const std::string& SettingsPath() const { return settingsPath_; }

    // Whether the core asked the program to end (a fatal allocation failure); the wizard host
    // closes the wizard when this turns true.
    static bool QuitRequested();

protected:
    // Make one shared object; null when it cannot be made. Tests override them to make the
    // creation fail at a chosen object.
    virtual std::unique_ptr<FavoritesFile> NewFavoritesFile();
    virtual std::unique_ptr<FavoritesSetup> NewFavoritesSetup();
    virtual std::unique_ptr<URLDB> NewURLDB();
    virtual std::unique_ptr<ExtractionConditions> NewExtractionConditions();

private:
    std::unique_ptr<FavoritesFile> favoritesFile_;
    std::unique_ptr<FavoritesSetup> favoritesSetup_;
    std::unique_ptr<URLDB> urlDB_;
    std::unique_ptr<ExtractionConditions> conditions_;
    bool notYetCreated_ = true;

    std::vector<BrowserProfile*> profileList_;
    std::array<std::string, kBrowserKinds> lastOutputFolder_;
    std::string chosenFolder_;
    std::string settingsPath_;
    bool settingsReadOnly_ = false;
};
