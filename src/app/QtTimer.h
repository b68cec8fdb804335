#pragma once

#include "ntp/Triggers.h"

#include <QTimer>

// A window's timer as the synchronisation triggers see it. Borrows the
// timer; the window outlives it.
class QtTimer final : public ntp::Triggers::Timer {
public:
    explicit QtTimer(QTimer& timer) : timer_(timer) {}

    bool IsEnabled() const override { return timer_.isActive(); }
    int Interval() const override { return timer_.interval(); }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }

private:
    QTimer& timer_;
};
