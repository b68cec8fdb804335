#include "Trash.h"

#include <windows.h>

#include <shellapi.h>

namespace Trash {

void Empty(const Question& ask, std::uintptr_t ownerWindow) {
    const DWORD flags = ask ? 0 : SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;
    // No root path: the bins of every drive. The shell reports through its
    // own windows, so its result tells the program nothing it would act on.
    SHEmptyRecycleBinW(reinterpret_cast<HWND>(ownerWindow), nullptr, flags);
}

} // namespace Trash
