#include "ClockStepWatch.h"

#include <QSocketNotifier>

ClockStepWatch::ClockStepWatch(std::unique_ptr<ClockStepNotifier> notifier)
    : notifier_(std::move(notifier)) {
    for (const int fd : notifier_->Descriptors()) {
        auto reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(reader.get(), &QSocketNotifier::activated, reader.get(),
                         [this, fd] { notifier_->OnReadable(fd); });
        readers_.push_back(std::move(reader));
    }
}

ClockStepWatch::~ClockStepWatch() = default;
