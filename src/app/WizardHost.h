#pragma once

class ConverterApp;

// The window side of the program: builds the six-page wizard on the application's shared objects
// and runs it modally. The application layer knows the wizard only through this interface, so it
// holds no user-interface code.
//
// The host ends the wizard early when ConverterApp::QuitRequested() turns true after a page
// action (a fatal condition met in the core); the application then shuts down as after Cancel.
class WizardHost {
public:
    virtual ~WizardHost() = default;

    // Builds the sheet and its pages, runs them until Finish, Cancel or a quit request, and
    // destroys them again. The result (finished or cancelled) is not looked at.
    virtual int Run(ConverterApp& app) = 0;
};
