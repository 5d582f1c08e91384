// The native widget calls on GTK: every call this program makes to GTK, ATK
// and GObject is in this file. Each one acts on a widget wxWidgets made and
// leaves it as it was when that widget is not what the call expects (a
// popover instead of a menu, a toolbar of another shape).
#include "NativeWidgets.h"

#include <wx/intl.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/window.h>

#include <gdk/gdkwayland.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

void NameWidget(GtkWidget* widget, const wxString& name)
{
    if (widget != nullptr) {
        atk_object_set_name(gtk_widget_get_accessible(widget), name.utf8_str());
    }
}

template <class T>
void DeleteData(gpointer data, GClosure*)
{
    delete static_cast<T*>(data);
}

using TCommands = std::function<std::vector<TMenuCommand>()>;

void RunCommand(GtkMenuItem*, gpointer data)
{
    (*static_cast<std::function<void()>*>(data))();
}

// GTK's "populate-popup": the entry's menu is made, about to be shown.
void AddCommands(GtkEntry*, GtkWidget* menu, gpointer data)
{
    if (!GTK_IS_MENU(menu)) {
        return; // a touch screen's popover, say: GTK's own commands only
    }
    const std::vector<TMenuCommand> commands = (*static_cast<TCommands*>(data))();
    GtkWidget* separator = gtk_separator_menu_item_new();
    gtk_widget_show(separator);
    gtk_menu_shell_prepend(GTK_MENU_SHELL(menu), separator);
    for (auto command = commands.rbegin(); command != commands.rend(); ++command) {
        wxString label = command->Label;
        label.Replace("&", "_");
        GtkWidget* item = gtk_menu_item_new_with_mnemonic(label.utf8_str());
        gtk_widget_set_sensitive(item, command->Enabled ? TRUE : FALSE);
        g_signal_connect_data(item, "activate", G_CALLBACK(&RunCommand), new std::function<void()>(command->Run),
                              &DeleteData<std::function<void()>>, GConnectFlags{});
        gtk_widget_show(item);
        gtk_menu_shell_prepend(GTK_MENU_SHELL(menu), item);
    }
}

const char* const ToEnd = "pan-end-symbolic";
const char* const ToStart = "pan-start-symbolic";

// GTK's "icon-press": to the end of the text, or back to its start.
void ScrollToOtherEnd(GtkEntry* entry, GtkEntryIconPosition, GdkEvent*, gpointer)
{
    const bool atStart = gtk_editable_get_position(GTK_EDITABLE(entry)) == 0;
    gtk_editable_set_position(GTK_EDITABLE(entry), atStart ? -1 : 0);
    gtk_entry_set_icon_from_icon_name(entry, GTK_ENTRY_ICON_SECONDARY, atStart ? ToStart : ToEnd);
}

// GtkEditable's "insert-text", before the text goes in: accept has its say,
// and a changed text goes in instead of the one offered.
void FilterInsertion(GtkEditable* editable, const gchar* text, gint length, gint* position, gpointer data)
{
    const auto& accept = *static_cast<TInsertionFilter*>(data);
    const wxString offered =
        wxString::FromUTF8(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
    wxString kept = offered;
    const bool accepted = accept(kept);
    if (accepted && kept == offered) {
        return;
    }
    g_signal_stop_emission_by_name(editable, "insert-text");
    if (accepted && !kept.empty()) {
        g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(&FilterInsertion), data);
        gtk_editable_insert_text(editable, kept.utf8_str(), -1, position);
        g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(&FilterInsertion), data);
    }
}

GtkEntry* EntryOf(wxTextCtrl* field)
{
    GtkWidget* widget = field->GetHandle();
    return widget != nullptr && GTK_IS_ENTRY(widget) ? GTK_ENTRY(widget) : nullptr;
}

GtkTreeView* TreeOf(wxDataViewCtrl* list)
{
    return GTK_TREE_VIEW(list->GtkGetTreeView());
}

} // namespace

void SetAccessibleName(wxWindow* window, const wxString& name)
{
    NameWidget(window->GetHandle(), name);
}

void SetAccessibleRole(wxWindow* window, const char* role)
{
    if (window->GetHandle() == nullptr) {
        return;
    }
    if (const AtkRole value = atk_role_for_name(role); value != ATK_ROLE_INVALID) {
        atk_object_set_role(gtk_widget_get_accessible(window->GetHandle()), value);
    }
}

void LimitDropDownWidth(wxComboBox* comboBox, int width)
{
    GtkWidget* widget = comboBox->GetHandle();
    if (widget == nullptr || !GTK_IS_CELL_LAYOUT(widget)) {
        return;
    }
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget));
    for (GList* cell = cells; cell != nullptr; cell = cell->next) {
        g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        gtk_cell_renderer_set_fixed_size(GTK_CELL_RENDERER(cell->data), width, -1);
    }
    g_list_free(cells);
}

void NameToolbarTools(wxToolBar* toolBar)
{
    // The toolkit's toolbar, or the box around it.
    GtkWidget* native = toolBar->GetHandle();
    if (native != nullptr && !GTK_IS_TOOLBAR(native) && GTK_IS_BIN(native)) {
        native = gtk_bin_get_child(GTK_BIN(native));
    }
    // It holds one item per tool, separators included.
    if (native == nullptr || !GTK_IS_TOOLBAR(native)) {
        return;
    }
    GtkToolbar* toolbar = GTK_TOOLBAR(native);
    const int count = gtk_toolbar_get_n_items(toolbar);
    if (count != static_cast<int>(toolBar->GetToolsCount())) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(i);
        if (tool != nullptr && !tool->IsSeparator()) {
            NameWidget(gtk_bin_get_child(GTK_BIN(gtk_toolbar_get_nth_item(toolbar, i))), tool->GetShortHelp());
        }
    }
}

void ShowScrollCue(wxTextCtrl* field, bool shown)
{
    GtkEntry* entry = EntryOf(field);
    if (entry == nullptr || shown == HasScrollCue(field)) {
        return;
    }
    if (shown && g_object_get_data(G_OBJECT(entry), "ov-scroll-cue") == nullptr) {
        g_signal_connect(entry, "icon-press", G_CALLBACK(&ScrollToOtherEnd), nullptr);
        g_object_set_data(G_OBJECT(entry), "ov-scroll-cue", entry); // connected once
    }
    gtk_entry_set_icon_from_icon_name(entry, GTK_ENTRY_ICON_SECONDARY, shown ? ToEnd : nullptr);
    if (shown) {
        gtk_entry_set_icon_tooltip_text(entry, GTK_ENTRY_ICON_SECONDARY,
                                        _("More digits: click to see the other end").utf8_str());
    }
    gtk_editable_set_position(GTK_EDITABLE(entry), 0);
}

bool HasScrollCue(wxTextCtrl* field)
{
    GtkEntry* entry = EntryOf(field);
    return entry != nullptr && gtk_entry_get_icon_name(entry, GTK_ENTRY_ICON_SECONDARY) != nullptr;
}

long EquationBoxStyle()
{
    return 0;
}

void AllowLongestText(wxComboBox*) {} // GTK's entry takes 65,535 characters unless told fewer

void KeepFocusOnButtonClick(wxComboBox* comboBox)
{
    if (comboBox->GetHandle() != nullptr) {
        gtk_widget_set_focus_on_click(comboBox->GetHandle(), FALSE);
    }
}

void FilterInsertions(wxComboBox* comboBox, TInsertionFilter accept)
{
    GtkWidget* box = comboBox->GetHandle();
    GtkWidget* entry = box != nullptr && GTK_IS_BIN(box) ? gtk_bin_get_child(GTK_BIN(box)) : nullptr;
    if (entry == nullptr || !GTK_IS_EDITABLE(entry)) {
        return;
    }
    g_signal_connect_data(entry, "insert-text", G_CALLBACK(&FilterInsertion), new TInsertionFilter(std::move(accept)),
                          &DeleteData<TInsertionFilter>, GConnectFlags{});
}

TClipboardText ReadClipboardText(wxString& text)
{
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    // The bytes as the owner gives them: GTK's text would end at a NUL.
    if (GtkSelectionData* data =
            gtk_clipboard_wait_for_contents(clipboard, gdk_atom_intern_static_string("UTF8_STRING"))) {
        const auto* bytes = reinterpret_cast<const char*>(gtk_selection_data_get_data(data));
        gint length = std::max(gtk_selection_data_get_length(data), 0);
        while (length > 0 && bytes[length - 1] == '\0') {
            --length; // a terminator some programs send along
        }
        TClipboardText found = TClipboardText::Text;
        if (std::memchr(bytes, '\0', static_cast<std::size_t>(length)) != nullptr) {
            found = TClipboardText::HasNul;
        } else if (!g_utf8_validate(bytes, length, nullptr)) {
            found = TClipboardText::NotText;
        } else {
            text = wxString::FromUTF8(bytes, static_cast<std::size_t>(length));
        }
        gtk_selection_data_free(data);
        return found;
    }
    // Text in another form (Latin-1, say), converted by GTK.
    if (gchar* converted = gtk_clipboard_wait_for_text(clipboard)) {
        text = wxString::FromUTF8(converted);
        g_free(converted);
        return TClipboardText::Text;
    }
    GdkAtom* targets = nullptr;
    gint count = 0;
    const bool any = gtk_clipboard_wait_for_targets(clipboard, &targets, &count) && count > 0;
    g_free(targets);
    return any ? TClipboardText::NotText : TClipboardText::Empty;
}

bool MenuIsOpen()
{
    // An open menu, or a menu bar that F10 made active, holds GTK's grab.
    GtkWidget* grab = gtk_grab_get_current();
    return grab != nullptr && GTK_IS_MENU_SHELL(grab);
}

void PrependToContextMenu(wxComboBox* comboBox, std::function<std::vector<TMenuCommand>()> commands)
{
    GtkWidget* box = comboBox->GetHandle();
    GtkWidget* entry = box != nullptr && GTK_IS_BIN(box) ? gtk_bin_get_child(GTK_BIN(box)) : nullptr;
    if (entry == nullptr) {
        return;
    }
    g_signal_connect_data(entry, "populate-popup", G_CALLBACK(&AddCommands), new TCommands(std::move(commands)),
                          &DeleteData<TCommands>, GConnectFlags{});
}

void UseUniformRows(wxDataViewCtrl* list, const wxString& name, std::function<void()> onVerticalScroll)
{
    // One row height for all and a fixed column width: the list then never
    // measures rows it does not draw, whatever their number.
    GtkTreeView* tree = TreeOf(list);
    gtk_tree_view_column_set_sizing(gtk_tree_view_get_column(tree, 0), GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_set_fixed_height_mode(tree, TRUE);
    gtk_tree_view_set_rubber_banding(tree, TRUE);
    gtk_tree_view_set_enable_search(tree, FALSE);
    NameWidget(GTK_WIDGET(tree), name);
    g_signal_connect_data(
        gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(tree)), "value-changed",
        G_CALLBACK(+[](GtkAdjustment*, gpointer data) { (*static_cast<std::function<void()>*>(data))(); }),
        new std::function<void()>(std::move(onVerticalScroll)), &DeleteData<std::function<void()>>, GConnectFlags{});
}

int SetUniformRowHeight(wxDataViewCtrl* list, int cellHeight)
{
    // GTK's row: its cell, fixed here, and the separator below it.
    gint separator = 0;
    gtk_widget_style_get(GTK_WIDGET(TreeOf(list)), "vertical-separator", &separator, nullptr);
    gtk_cell_renderer_set_fixed_size(list->GetColumn(0)->GetRenderer()->GetGtkHandle(), -1, cellHeight);
    return cellHeight + separator;
}

void RedrawAllRows(wxDataViewCtrl* list)
{
    gtk_widget_queue_draw(GTK_WIDGET(TreeOf(list)));
}

void SetApplicationId(const char* id)
{
    g_set_prgname(id);
    gdk_set_program_class(id);
}

const char* ApplicationId()
{
    const char* id = g_get_prgname();
    return id != nullptr ? id : "";
}

// wxWidgets names the window's class after the application's display name;
// the hint is taken from the window when it is realized, on showing it.
void SetWindowClass(wxWindow* window, const char* id)
{
    GtkWidget* widget = window->GetHandle();
    if (widget != nullptr && GTK_IS_WINDOW(widget) && !gtk_widget_get_realized(widget)) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS // the only way to name it before it exists
            gtk_window_set_wmclass(GTK_WINDOW(widget), id, id);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
}

bool CompositorPlacesWindows()
{
    GdkDisplay* display = gdk_display_get_default();
    return display != nullptr && GDK_IS_WAYLAND_DISPLAY(display);
}

void KeepClipboardAfterExit()
{
    if (!CompositorPlacesWindows()) {
        wxTheClipboard->Flush();
    }
}
