#include "NativeWidgets.h"

#include <wx/combobox.h>
#include <wx/toolbar.h>
#include <wx/window.h>

#ifdef __WXGTK__
#include <dlfcn.h>

namespace {

// GTK and ATK are in the process already (the toolkit underneath), but
// their headers are not needed for five calls: they are looked up by name.
// A missing one leaves the window as the toolkit made it.
template <class Function>
Function Lookup(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_DEFAULT, name));
}

using GetAccessible = void* (*)(void* widget);
using SetName = void (*)(void* accessible, const char* name);
using RoleForName = int (*)(const char* name);
using SetRole = void (*)(void* accessible, int role);
using ItemCount = int (*)(void* toolbar);
using NthItem = void* (*)(void* toolbar, int position);
using BinChild = void* (*)(void* bin);
using TypeOf = unsigned long (*)();
using IsA = int (*)(void* instance, unsigned long type);

void* AccessibleOf(void* widget)
{
    static const auto get = Lookup<GetAccessible>("gtk_widget_get_accessible");
    return widget != nullptr && get != nullptr ? get(widget) : nullptr;
}

void NameWidget(void* widget, const wxString& name)
{
    static const auto set = Lookup<SetName>("atk_object_set_name");
    if (void* accessible = AccessibleOf(widget); accessible != nullptr && set != nullptr)
        set(accessible, name.utf8_str());
}

} // namespace

void SetAccessibleName(wxWindow* window, const wxString& name)
{
    NameWidget(window->GetHandle(), name);
}

void SetAccessibleRole(wxWindow* window, const char* role)
{
    static const auto forName = Lookup<RoleForName>("atk_role_for_name");
    static const auto set = Lookup<SetRole>("atk_object_set_role");
    void* accessible = AccessibleOf(window->GetHandle());
    if (accessible == nullptr || forName == nullptr || set == nullptr)
        return;
    if (const int value = forName(role); value != 0) // 0: ATK_ROLE_INVALID
        set(accessible, value);
}

void LimitDropDownWidth(wxComboBox* comboBox, int width)
{
    struct TList {
        void* Data;
        TList* Next;
        TList* Previous;
    };
    using GetCells = TList* (*)(void* layout);
    using FreeList = void (*)(TList* list);
    using SetObject = void (*)(void* object, const char* property, ...);
    using SetFixedSize = void (*)(void* renderer, int width, int height);
    static const auto cells = Lookup<GetCells>("gtk_cell_layout_get_cells");
    static const auto freeList = Lookup<FreeList>("g_list_free");
    static const auto set = Lookup<SetObject>("g_object_set");
    static const auto fixedSize = Lookup<SetFixedSize>("gtk_cell_renderer_set_fixed_size");
    if (cells == nullptr || freeList == nullptr || set == nullptr || fixedSize == nullptr ||
        comboBox->GetHandle() == nullptr)
        return;
    constexpr int EllipsizeEnd = 3; // PANGO_ELLIPSIZE_END
    TList* list = cells(comboBox->GetHandle());
    for (TList* cell = list; cell != nullptr; cell = cell->Next) {
        set(cell->Data, "ellipsize", EllipsizeEnd, static_cast<void*>(nullptr));
        fixedSize(cell->Data, width, -1);
    }
    freeList(list);
}

void NameToolbarTools(wxToolBar* toolBar)
{
    static const auto count = Lookup<ItemCount>("gtk_toolbar_get_n_items");
    static const auto nth = Lookup<NthItem>("gtk_toolbar_get_nth_item");
    static const auto child = Lookup<BinChild>("gtk_bin_get_child");
    static const auto isA = Lookup<IsA>("g_type_check_instance_is_a");
    static const auto toolbarType = Lookup<TypeOf>("gtk_toolbar_get_type");
    static const auto binType = Lookup<TypeOf>("gtk_bin_get_type");
    if (count == nullptr || nth == nullptr || child == nullptr || isA == nullptr || toolbarType == nullptr ||
        binType == nullptr)
        return;
    // The toolkit's toolbar, or the box around it.
    void* native = toolBar->GetHandle();
    if (native != nullptr && !isA(native, toolbarType()) && isA(native, binType()))
        native = child(native);
    // It holds one item per tool, separators included.
    if (native == nullptr || !isA(native, toolbarType()) ||
        count(native) != static_cast<int>(toolBar->GetToolsCount()))
        return;
    for (int i = 0; i < count(native); ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(i);
        if (tool != nullptr && !tool->IsSeparator())
            NameWidget(child(nth(native, i)), tool->GetShortHelp());
    }
}

#else

void SetAccessibleName(wxWindow* window, const wxString& name)
{
    window->SetName(name);
}

void SetAccessibleRole(wxWindow*, const char*) {}

void NameToolbarTools(wxToolBar*) {}

void LimitDropDownWidth(wxComboBox*, int) {}

#endif
