// What the window tests' shared main offers the tests themselves.
#pragma once

// A modal dialog that no test expects fails the test and is dismissed at
// once. While one of these lives, modal dialogs show for real instead: the
// test ends them itself (and should end them after a while, whatever
// happens, so that a dialog left open cannot stall the run).
class TModalDialogsShow {
public:
    TModalDialogsShow();
    ~TModalDialogsShow();
    TModalDialogsShow(const TModalDialogsShow&) = delete;
    TModalDialogsShow& operator=(const TModalDialogsShow&) = delete;
};
