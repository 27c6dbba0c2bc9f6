#include "ui/accessibility.h"

#include <oleacc.h>

#include <new>
#include <string>

#include "base/com.h"
#include "base/scoped.h"
#include "base/system_library.h"

namespace inboxhop {

namespace {

constexpr wchar_t kAnnotationProp[] = L"Inboxhop.Accessible";

// The functions of the accessibility library and the one of the automation
// library that this file uses, loaded from the system folder when first
// needed.
struct AccessibilityLibrary {
    decltype(&::CreateStdAccessibleObject) createStd = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::SysAllocString) allocString = nullptr;

    static const AccessibilityLibrary* Get() {
        static const AccessibilityLibrary library = [] {
            AccessibilityLibrary l;
            HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
            HMODULE oleaut = LoadSystemLibrary(L"oleaut32.dll");
            if (!oleacc || !oleaut) return l;
            auto function = [](HMODULE module, const char* name) {
                return reinterpret_cast<void*>(GetProcAddress(module, name));
            };
            l.createStd = reinterpret_cast<decltype(l.createStd)>(function(oleacc, "CreateStdAccessibleObject"));
            l.lresultFromObject =
                reinterpret_cast<decltype(l.lresultFromObject)>(function(oleacc, "LresultFromObject"));
            l.allocString = reinterpret_cast<decltype(l.allocString)>(function(oleaut, "SysAllocString"));
            return l;
        }();
        return library.createStd && library.lresultFromObject && library.allocString ? &library : nullptr;
    }
};

// What a control says of itself, and the control's own message handling.
struct Annotation {
    WNDPROC previous;
    std::wstring name;
    std::wstring description;
    bool outOfSight;
};

// The system's accessible object of a control, answering with the
// control's own name and description where it has them; every other
// question goes to the system's object.
class AnnotatedAccessible final : public IAccessible {
public:
    AnnotatedAccessible(IAccessible* inner, const Annotation& annotation, const AccessibilityLibrary& library)
        : inner_(inner),
          name_(annotation.name),
          description_(annotation.description),
          outOfSight_(annotation.outOfSight),
          library_(library) {
        inner_->AddRef();
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* badArgument) override {
        return inner_->Invoke(id, iid, locale, flags, params, result, exception, badArgument);
    }

    // IAccessible: the name and description of the control itself are its own.
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child) && !name_.empty()) return Answer(name_, name);
        return inner_->get_accName(child, name);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        if (IsSelf(child) && !description_.empty()) return Answer(description_, description);
        return inner_->get_accDescription(child, description);
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(LONG* count) override { return inner_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override { return inner_->get_accChild(child, out); }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        if (IsSelf(child) && outOfSight_) {
            if (!value) return E_POINTER;
            *value = nullptr;
            return DISP_E_MEMBERNOTFOUND;  // no value to speak
        }
        return inner_->get_accValue(child, value);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override { return inner_->get_accRole(child, role); }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        HRESULT result = inner_->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && outOfSight_ && state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
        }
        return result;
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return inner_->get_accFocus(focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override { return inner_->get_accSelection(selection); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override { return inner_->accHitTest(x, y, child); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return inner_->accDoDefaultAction(child); }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return inner_->put_accValue(child, value); }

private:
    ~AnnotatedAccessible() { inner_->Release(); }

    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    HRESULT Answer(const std::wstring& text, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = library_.allocString(text.c_str());
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG references_ = 1;
    IAccessible* inner_;  // the system's object, released with this one
    // Copies: a screen reader may hold the object longer than the control lives.
    const std::wstring name_, description_;
    const bool outOfSight_;
    const AccessibilityLibrary& library_;
};

// The control's accessible object as an answer to WM_GETOBJECT; 0 when it
// cannot be made, and the system answers for the control instead.
LRESULT AnswerAccessibleObject(HWND control, const Annotation& annotation, WPARAM wParam) {
    const AccessibilityLibrary* library = AccessibilityLibrary::Get();
    if (!library || !EnsureComInitialized()) return 0;
    ComPtr<IAccessible> inner;
    if (FAILED(library->createStd(control, OBJID_CLIENT, __uuidof(IAccessible), inner.put_void())) || !inner) return 0;
    auto* annotated = new (std::nothrow) AnnotatedAccessible(inner.get(), annotation, *library);
    if (!annotated) return 0;
    // The answer holds a reference of its own until the reader takes the object.
    LRESULT answer = library->lresultFromObject(__uuidof(IAccessible), wParam, annotated);
    annotated->Release();
    return answer < 0 ? 0 : answer;
}

LRESULT CALLBACK AnnotatedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* annotation = static_cast<Annotation*>(GetPropW(control, kAnnotationProp));
    if (!annotation) return DefWindowProcW(control, message, wParam, lParam);
    WNDPROC previous = annotation->previous;
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        // No exception may leave the window procedure: without memory the
        // system's own object answers.
        try {
            if (LRESULT answer = AnswerAccessibleObject(control, *annotation, wParam)) return answer;
        } catch (...) {
        }
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(control, kAnnotationProp);
        delete annotation;
    }
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

}  // namespace

void AnnotateControl(HWND control, std::wstring_view name, std::wstring_view description, bool outOfSight) {
    if (!control || GetPropW(control, kAnnotationProp)) return;
    auto* annotation = new Annotation{nullptr, std::wstring(name), std::wstring(description), outOfSight};
    if (!SetPropW(control, kAnnotationProp, annotation)) {
        delete annotation;
        return;
    }
    annotation->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnnotatedControlProc)));
    if (!annotation->previous) {
        RemovePropW(control, kAnnotationProp);
        delete annotation;
    }
}

}  // namespace inboxhop
