#ifndef DIALOGFILTER_H
#define DIALOGFILTER_H

#include <QString>

// The filter text of the host's file dialogs. "suffix.ini" holds it when the
// user has set it in the options window; each dialog has its own fallback.
class DialogFilter
{
public:
    // The filter for the dialogs that choose text documents.
    static QString textFilter();
    // The filter for the dialogs that choose workbooks.
    static QString workbookFilter();

    // "suffix.ini" read whole, or fallback when it gives nothing, with each
    // line turned into one filter of a Qt file dialog.
    static QString fromSuffixFile(const QString &fallback);
    // The add-files dialog's filter: the workbook filter first, so that the
    // workbooks show, then each line of "suffix.ini" it does not hold yet.
    static QString forWorkbookDialog();
};

#endif // DIALOGFILTER_H
