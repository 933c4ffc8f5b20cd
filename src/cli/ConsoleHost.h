#pragma once

#include <string>

#include "app/WizardHost.h"
#include "cli/CommandLineOptions.h"

class ConsolePrompt;
class ConversionWorkflow;
class ConverterApp;

// Runs "list" or "convert" in place of the wizard, on the application's shared objects: the same
// workflow calls, in the same order and with the same values, as the wizard's pages make them
// when a user makes the choices the options name. Sets the exit status: 0 when everything asked
// was done, 1 when an output failed or a question went unanswered, 2 for bad usage (a row that
// does not exist).
class ConsoleHost : public WizardHost {
public:
    static constexpr int kSucceeded = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadUsage = 2;

    // Internal paths of the output folder and the database to import ("" for the program's own).
    ConsoleHost(const CommandLineOptions& options, ConsolePrompt& prompt, std::string output,
                std::string urldb);

    int Run(ConverterApp& app) override;

    // kFailed until Run has run.
    int ExitStatus() const { return status_; }
    // The reason for kBadUsage.
    const std::string& UsageError() const { return usageError_; }

private:
    void OfferRows(ConverterApp& app);
    int List(ConversionWorkflow& workflow);
    int Convert(ConverterApp& app, ConversionWorkflow& workflow);
    bool ImportDatabase(ConverterApp& app, ConversionWorkflow& workflow);
    void ImportRow(ConversionWorkflow& workflow, int row);
    void ApplyConditions(ConverterApp& app);
    int Write(ConversionWorkflow& workflow);
    bool MakeOutputFolder();

    // A line on standard error: progress (a terminal only, not --quiet), a warning (not
    // --quiet) or an error (always).
    void Progress(const std::string& line) const;
    void Warning(const std::string& line) const;
    void Error(const std::string& line) const;

    const CommandLineOptions& options_;
    ConsolePrompt& prompt_;
    std::string output_;
    std::string urldb_;
    bool progress_ = false;
    int status_ = kFailed;
    std::string usageError_;
};
