#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

// A window's control by its objectName, as a tool driving the program would
// find it. A missing one fails the test rather than crashing it.
template <class T> T& Named(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) {
        throw std::runtime_error(std::string("no control named ") + name);
    }
    return *found;
}
