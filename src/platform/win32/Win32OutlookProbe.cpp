#include "platform/win32/Win32OutlookProbe.h"

#include <windows.h>
#include <oleauto.h>

#include "platform/OutlookRegistration.h"

namespace qm::platform::win32 {
namespace {

// COM for the calling thread, for as long as the probe runs.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // RPC_E_CHANGED_MODE: the thread already has COM in another model, which
    // serves as well.
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

DISPID dispatchId(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
    return id;
}

bool getText(IDispatch* object, const wchar_t* property, std::string& text) {
    const DISPID id = dispatchId(object, property);
    if (id == DISPID_UNKNOWN) return false;
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    bool ok = SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                                       nullptr, nullptr)) &&
              SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR));
    if (ok) {
        const int wide = static_cast<int>(SysStringLen(result.bstrVal));
        const int n = WideCharToMultiByte(CP_ACP, 0, result.bstrVal, wide, nullptr, 0, nullptr, nullptr);
        text.assign(static_cast<std::size_t>(n), '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, result.bstrVal, wide, text.data(), n, nullptr, nullptr);
    }
    VariantClear(&result);
    return ok;
}

void call(IDispatch* object, const wchar_t* method) {
    const DISPID id = dispatchId(object, method);
    if (id == DISPID_UNKNOWN) return;
    DISPPARAMS none{};
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

}  // namespace

bool Win32OutlookProbe::versionFromAutomation(std::string& text) {
    ComScope com;
    if (!com.usable()) return false;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid))) return false;
    // An Outlook the user has open is asked, never closed: Outlook runs once
    // per user, so the object created below would be that same Outlook.
    IDispatch* outlook = nullptr;
    bool startedHere = false;
    IUnknown* running = nullptr;
    if (SUCCEEDED(GetActiveObject(clsid, nullptr, &running)) && running) {
        running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&outlook));
        running->Release();
    }
    if (!outlook) {
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(&outlook))) ||
            !outlook)
            return false;
        startedHere = true;
    }
    std::string version;
    const bool ok = getText(outlook, L"Version", version);
    // Started for this question only: ended again.
    if (startedHere) call(outlook, L"Quit");
    outlook->Release();
    if (!ok || version.empty()) return false;
    text = version;
    return true;
}

bool Win32OutlookProbe::outlookVersion(std::string& text) const {
    // The registration tells without starting Outlook; automation is asked
    // only where an Outlook answers without one (some installations
    // register no CurVer).
    return registeredOutlookVersion(registry_, text) || versionFromAutomation(text);
}

}  // namespace qm::platform::win32
