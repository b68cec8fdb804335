#include "Instance.h"

#include <string>
#include <windows.h>

InstanceClaim::InstanceClaim(const std::string& name) {
    // "Local\" keeps the claim inside the user's session, as a second user
    // logged on at the same time runs a clock of their own.
    const std::wstring wide(name.begin(), name.end());
    const std::wstring object = L"Local\\" + wide + L"-instance";
    HANDLE h = CreateMutexW(nullptr, FALSE, object.c_str());
    if (h == nullptr) {
        return;
    }
    previous_ = GetLastError() == ERROR_ALREADY_EXISTS;
    handle_ = h;
}

InstanceClaim::~InstanceClaim() {
    if (handle_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(handle_));
    }
}
