#pragma once

// A request to end the application, raised where the core meets a fatal condition (an
// allocation failure in a conversion). The application layer checks it and ends the run.
class QuitRequest {
public:
    static void Raise();
    static bool IsRaised();
    static void Clear();
};
