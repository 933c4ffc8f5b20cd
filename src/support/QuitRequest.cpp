#include "support/QuitRequest.h"

#include <atomic>

namespace {
std::atomic<bool> raised{false};
}

void QuitRequest::Raise() {
    raised = true;
}

bool QuitRequest::IsRaised() {
    return raised;
}

void QuitRequest::Clear() {
    raised = false;
}
