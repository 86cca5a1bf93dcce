#pragma once

namespace orvane::background {

// Work started by screens that may outlive them. A scan can be abandoned when the application
// quits; a removal is waited for, so nothing is left half removed.
enum class Kind { scan, removal };

class Scope
{
public:
    explicit Scope(Kind kind);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    Kind m_kind;
};

int running(Kind kind);
void waitForRemovals();

} // namespace orvane::background
