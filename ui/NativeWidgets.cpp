#include "NativeWidgets.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>
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
    if (void* accessible = AccessibleOf(widget); accessible != nullptr && set != nullptr) {
        set(accessible, name.utf8_str());
    }
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
    if (accessible == nullptr || forName == nullptr || set == nullptr) {
        return;
    }
    if (const int value = forName(role); value != 0) { // 0: ATK_ROLE_INVALID
        set(accessible, value);
    }
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
        comboBox->GetHandle() == nullptr) {
        return;
    }
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
        binType == nullptr) {
        return;
    }
    // The toolkit's toolbar, or the box around it.
    void* native = toolBar->GetHandle();
    if (native != nullptr && !isA(native, toolbarType()) && isA(native, binType())) {
        native = child(native);
    }
    // It holds one item per tool, separators included.
    if (native == nullptr || !isA(native, toolbarType()) ||
        count(native) != static_cast<int>(toolBar->GetToolsCount())) {
        return;
    }
    for (int i = 0; i < count(native); ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(i);
        if (tool != nullptr && !tool->IsSeparator()) {
            NameWidget(child(nth(native, i)), tool->GetShortHelp());
        }
    }
}

namespace {

using TCommands = std::function<std::vector<TMenuCommand>()>;

using Callback = void (*)();
using Destroy = void (*)(void* data, void* closure);
using Connect = unsigned long (*)(void* instance, const char* signal, Callback handler, void* data, Destroy destroy,
                                  int flags);
using NewItem = void* (*)(const char* label);
using NewSeparator = void* (*)();
using SetSensitive = void (*)(void* widget, int sensitive);
using Show = void (*)(void* widget);
using Prepend = void (*)(void* shell, void* child);

template <class T>
void DeleteData(void* data, void*)
{
    delete static_cast<T*>(data);
}

void RunCommand(void*, void* data)
{
    (*static_cast<std::function<void()>*>(data))();
}

// GTK's "populate-popup": the entry's menu is made, about to be shown.
void AddCommands(void*, void* menu, void* data)
{
    static const auto connect = Lookup<Connect>("g_signal_connect_data");
    static const auto newItem = Lookup<NewItem>("gtk_menu_item_new_with_mnemonic");
    static const auto newSeparator = Lookup<NewSeparator>("gtk_separator_menu_item_new");
    static const auto sensitive = Lookup<SetSensitive>("gtk_widget_set_sensitive");
    static const auto show = Lookup<Show>("gtk_widget_show");
    static const auto prepend = Lookup<Prepend>("gtk_menu_shell_prepend");
    static const auto isA = Lookup<IsA>("g_type_check_instance_is_a");
    static const auto menuType = Lookup<TypeOf>("gtk_menu_get_type");
    if (connect == nullptr || newItem == nullptr || newSeparator == nullptr || sensitive == nullptr ||
        show == nullptr || prepend == nullptr || isA == nullptr || menuType == nullptr || !isA(menu, menuType())) {
        return; // a touch screen's popover, say: GTK's own commands only
    }
    const std::vector<TMenuCommand> commands = (*static_cast<TCommands*>(data))();
    void* separator = newSeparator();
    show(separator);
    prepend(menu, separator);
    for (auto command = commands.rbegin(); command != commands.rend(); ++command) {
        wxString label = command->Label;
        label.Replace("&", "_");
        void* item = newItem(label.utf8_str());
        sensitive(item, command->Enabled ? 1 : 0);
        connect(item, "activate", reinterpret_cast<Callback>(&RunCommand), new std::function<void()>(command->Run),
                &DeleteData<std::function<void()>>, 0);
        show(item);
        prepend(menu, item);
    }
}

} // namespace

namespace {

constexpr int SecondaryIcon = 1; // GTK_ENTRY_ICON_SECONDARY
using GetPosition = int (*)(void* editable);
using SetPosition = void (*)(void* editable, int position);
using SetIconName = void (*)(void* entry, int icon, const char* name);
using GetIconName = const char* (*)(void* entry, int icon);
using SetIconTooltip = void (*)(void* entry, int icon, const char* text);

const char* const ToEnd = "pan-end-symbolic";
const char* const ToStart = "pan-start-symbolic";

// GTK's "icon-press": to the end of the text, or back to its start.
void ScrollToOtherEnd(void* entry, int, void*, void*)
{
    static const auto get = Lookup<GetPosition>("gtk_editable_get_position");
    static const auto set = Lookup<SetPosition>("gtk_editable_set_position");
    static const auto icon = Lookup<SetIconName>("gtk_entry_set_icon_from_icon_name");
    if (get == nullptr || set == nullptr || icon == nullptr) {
        return;
    }
    const bool atStart = get(entry) == 0;
    set(entry, atStart ? -1 : 0);
    icon(entry, SecondaryIcon, atStart ? ToStart : ToEnd);
}

} // namespace

void ShowScrollCue(wxTextCtrl* field, bool shown)
{
    static const auto icon = Lookup<SetIconName>("gtk_entry_set_icon_from_icon_name");
    static const auto tooltip = Lookup<SetIconTooltip>("gtk_entry_set_icon_tooltip_text");
    static const auto connect = Lookup<Connect>("g_signal_connect_data");
    static const auto set = Lookup<SetPosition>("gtk_editable_set_position");
    void* entry = field->GetHandle();
    if (icon == nullptr || tooltip == nullptr || connect == nullptr || set == nullptr || entry == nullptr ||
        shown == HasScrollCue(field)) {
        return;
    }
    using GetData = void* (*)(void* object, const char* key);
    using SetData = void (*)(void* object, const char* key, void* data);
    static const auto getData = Lookup<GetData>("g_object_get_data");
    static const auto setData = Lookup<SetData>("g_object_set_data");
    if (shown && getData != nullptr && setData != nullptr && getData(entry, "ov-scroll-cue") == nullptr) {
        connect(entry, "icon-press", reinterpret_cast<Callback>(&ScrollToOtherEnd), nullptr, nullptr, 0);
        setData(entry, "ov-scroll-cue", entry); // connected once
    }
    icon(entry, SecondaryIcon, shown ? ToEnd : nullptr);
    if (shown) {
        tooltip(entry, SecondaryIcon, "More digits: click to see the other end");
    }
    set(entry, 0);
}

bool HasScrollCue(wxTextCtrl* field)
{
    static const auto name = Lookup<GetIconName>("gtk_entry_get_icon_name");
    return name != nullptr && field->GetHandle() != nullptr && name(field->GetHandle(), SecondaryIcon) != nullptr;
}

void KeepFocusOnButtonClick(wxComboBox* comboBox)
{
    using SetFocusOnClick = void (*)(void* widget, int focus);
    static const auto set = Lookup<SetFocusOnClick>("gtk_widget_set_focus_on_click");
    if (set != nullptr && comboBox->GetHandle() != nullptr) {
        set(comboBox->GetHandle(), 0);
    }
}

void PrependToContextMenu(wxComboBox* comboBox, std::function<std::vector<TMenuCommand>()> commands)
{
    static const auto connect = Lookup<Connect>("g_signal_connect_data");
    static const auto child = Lookup<BinChild>("gtk_bin_get_child");
    void* entry = comboBox->GetHandle() != nullptr && child != nullptr ? child(comboBox->GetHandle()) : nullptr;
    if (entry == nullptr || connect == nullptr) {
        return;
    }
    connect(entry, "populate-popup", reinterpret_cast<Callback>(&AddCommands), new TCommands(std::move(commands)),
            &DeleteData<TCommands>, 0);
}

#else

void SetAccessibleName(wxWindow* window, const wxString& name)
{
    window->SetName(name);
}

void SetAccessibleRole(wxWindow*, const char*) {}

void NameToolbarTools(wxToolBar*) {}

void LimitDropDownWidth(wxComboBox*, int) {}

// The whole value in a tip, where the field cannot show an arrow.
void ShowScrollCue(wxTextCtrl* field, bool shown)
{
    if (shown) {
        field->SetToolTip(field->GetValue());
    } else {
        field->UnsetToolTip();
    }
}

bool HasScrollCue(wxTextCtrl* field)
{
    return field->GetToolTip() != nullptr;
}

void KeepFocusOnButtonClick(wxComboBox*) {}

void PrependToContextMenu(wxComboBox*, std::function<std::vector<TMenuCommand>()>) {}

#endif
