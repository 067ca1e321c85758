// How the command line tells the user: each message on stderr after an optional prefix, and every
// question answered as OK (or Yes) would answer it.
#pragma once

#include "base/reporter.h"

#include <cstdio>
#include <functional>
#include <string>

namespace sonarium {

class StderrReporter final : public Reporter {
public:
    explicit StderrReporter(std::string prefix = {}) : prefix_(std::move(prefix)) {}

    // Called before each message (the progress line wipes itself there).
    std::function<void()> beforeMessage;

protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons buttons) override {
        if (beforeMessage)
            beforeMessage();
        std::fprintf(stderr, "%s%s\n", prefix_.c_str(), text.c_str());
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                   ? Answer::Yes
                   : Answer::Ok;
    }

private:
    std::string prefix_;
};

} // namespace sonarium
