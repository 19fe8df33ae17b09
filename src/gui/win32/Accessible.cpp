#include "Accessible.h"

#include <oleacc.h>

namespace zentory::win32 {

namespace {

// Sets `property` of the client object of `hwnd`; false when the service is
// missing or refuses (older systems and Wine answer without it).
bool annotate(HWND hwnd, const MSAAPROPID& property, const std::wstring& text) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return false;
    }
    const HRESULT result = services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                    CHILDID_SELF, property, text.c_str());
    services->Release();
    return SUCCEEDED(result);
}

} // namespace

void setAccessibleName(HWND hwnd, const std::wstring& name) {
    // Without the service the window is known by its caption or label, as before.
    annotate(hwnd, PROPID_ACC_NAME, name);
}

void announce(HWND hwnd, const std::wstring& text) {
    if (annotate(hwnd, PROPID_ACC_DESCRIPTION, text)) {
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
    }
}

} // namespace zentory::win32
