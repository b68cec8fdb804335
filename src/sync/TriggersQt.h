#pragma once

#include "sync/Triggers.h"

#include <QTimer>

// tmrNTPatRun as the triggers see it. Borrows the form's timer; the form
// outlives it.
class QTimerControl final : public Triggers::Timer {
public:
    explicit QTimerControl(QTimer& timer) : timer_(timer) {}

    bool IsEnabled() const override { return timer_.isActive(); }
    int Interval() const override { return timer_.interval(); }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }

private:
    QTimer& timer_;
};
