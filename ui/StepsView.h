// The steps box: every step of the last calculation, one line each, with the
// part that the next step reduces marked.
//
// The step texts together grow with the square of the equation's length, so
// the view keeps none of them: it is a virtual list that asks the step
// history for the lines it shows, and only for the columns it shows. Lines
// longer than the box scroll sideways by the view's own scrollbar (and the
// Left and Right keys, and Shift with the wheel); every line has the same
// height, so the list never measures the lines it does not draw.
//
// Lines are selected with the mouse and the keys as in any list; Ctrl+C and
// the context menu copy the selected steps as plain text, one line each.
#pragma once

#include <wx/panel.h>
#include <wx/string.h>

#include <cstddef>
#include <string>
#include <vector>

#include "StepHistory.h"

class TStepsModel;
class wxDataViewCtrl;
class wxDataViewEvent;
class wxScrollBar;
class wxScrollEvent;

class TStepsView : public wxPanel {
public:
    // The most text one copy puts on the clipboard; a larger selection is
    // refused with a message instead.
    static constexpr std::size_t CopyLimit = std::size_t{64} << 20;

    TStepsView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~TStepsView() override;

    // The steps shown, read whenever the view draws: hand it to the engine's
    // Evaluate as the observer, and call ShowSteps after every change to it.
    [[nodiscard]] TStepHistory& GetHistory() { return History; }

    // Shows what the history holds now, from its first line and column.
    void ShowSteps();
    // Empties the history and shows nothing.
    void Clear();

    bool SetFont(const wxFont& font) override;
    bool SetBackgroundColour(const wxColour& colour) override;
    bool SetForegroundColour(const wxColour& colour) override;

    [[nodiscard]] std::size_t GetLineCount() const;
    // The first line in view, the line with the keyboard cursor, the first
    // column in view; -1 for no cursor.
    [[nodiscard]] std::size_t GetFirstVisibleLine() const;
    [[nodiscard]] long GetCursorLine() const;
    [[nodiscard]] std::size_t GetFirstColumn() const { return FirstColumn; }
    void ScrollToColumn(std::size_t column);
    // Back to the end of the longest line in view when every line in view
    // ends left of the first column shown.
    void KeepLinesInView();

    // Lines from to to (exclusive) with "\n" between them.
    [[nodiscard]] std::string GetLines(std::size_t from, std::size_t to) const;
    // The selected lines, in order, as Copy puts them on the clipboard.
    [[nodiscard]] std::string GetSelectedText() const;
    void SelectLines(std::size_t from, std::size_t to);
    // Copies the selection; false (after saying why) when it is too large.
    bool CopySelection();

    // The list control inside, for keyboard focus and accessibility.
    [[nodiscard]] wxDataViewCtrl* GetList() const { return List; }

    // Every row has this height; the list shows whole rows only, the
    // sideways scrollbar below the last of them.
    [[nodiscard]] int GetRowHeight() const { return RowHeight; }
    // The view's height for that many whole rows and the scrollbar.
    [[nodiscard]] int HeightForRows(int rows) const;
    // Rows in view at the view's present height.
    [[nodiscard]] int GetVisibleRows() const;

private:
    void OnSize(wxSizeEvent& event);
    void OnListSize(wxSizeEvent& event);
    void LayOut();
    void OnKeyDown(wxKeyEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnScroll(wxScrollEvent& event);
    void OnContextMenu(wxDataViewEvent& event);
    void UpdateColumns();
    [[nodiscard]] std::vector<unsigned> SelectedLines() const;
    [[nodiscard]] std::string TextOf(const std::vector<unsigned>& lines) const;
    [[nodiscard]] std::size_t LongestShown() const;

    TStepHistory History;
    TStepsModel* Model = nullptr; // owned by the list
    wxDataViewCtrl* List = nullptr;
    wxScrollBar* Sideways = nullptr;
    std::size_t FirstColumn = 0;
    std::size_t VisibleColumns = 1;
    int RowHeight = 1;
};
