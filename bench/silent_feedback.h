// The window benchmarks' operator: counts beeps, prints messages, answers every question yes.
#pragma once

#include "ui/operator_feedback.h"

#include <cstdio>

namespace orlex::bench {

class SilentFeedback : public ui::OperatorFeedback {
public:
    void beep() override { ++beeps; }
    void message(QWidget*, Icon, const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    int beeps = 0;
};

} // namespace orlex::bench
