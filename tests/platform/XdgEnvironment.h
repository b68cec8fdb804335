#pragma once

#include "TempFolder.h"

#include <cstdlib>
#include <optional>
#include <string>

// Points one XDG variable at a folder for as long as it lives, so that no
// test reaches the user's own configuration, data or trash.
class ScopedXdgFolder {
public:
    ScopedXdgFolder(const char* variable, const std::string& folder) : variable_(variable) {
        if (const char* old = std::getenv(variable)) {
            old_ = old;
        }
        ::setenv(variable, folder.c_str(), 1);
    }
    ~ScopedXdgFolder() {
        if (old_) {
            ::setenv(variable_, old_->c_str(), 1);
        } else {
            ::unsetenv(variable_);
        }
    }
    ScopedXdgFolder(const ScopedXdgFolder&) = delete;
    ScopedXdgFolder& operator=(const ScopedXdgFolder&) = delete;

private:
    const char* variable_;
    std::optional<std::string> old_;
};
