#ifndef TEXTFIT_H
#define TEXTFIT_H

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QToolButton>
#include <QtMath>

// The room a style leaves for a button's text: push buttons, check boxes and
// radio buttons have their own contents rectangle; a tool button's label is
// drawn two pixels inside its edge.
inline int buttonRoom(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    QStyle *style = button->style();
    if (qobject_cast<const QPushButton *>(button))
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    if (qobject_cast<const QCheckBox *>(button))
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    if (qobject_cast<const QRadioButton *>(button))
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
    return button->width() - 4;
}

inline int labelRoom(const QLabel *label)
{
    return label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
}

inline int textWidth(const QWidget *widget, const QString &text, Qt::TextFormat format)
{
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setDefaultFont(widget->font());
        document.setDocumentMargin(0);
        document.setHtml(text);
        return qCeil(document.idealWidth());
    }
    const QFontMetrics metrics = widget->fontMetrics();
    const QStringList lines = text.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    return width;
}

// Every shown button and label text under root that its widget cuts short,
// each as "object name: text (needs N px, has M px)"; empty when all fit.
// Word-wrapped labels break their lines to fit and are left out.
inline QStringList textsCutShort(const QWidget *root)
{
    QStringList cut;
    const auto widgets = root->findChildren<QWidget *>();
    for (const QWidget *widget : widgets) {
        if (!widget->isVisibleTo(root))
            continue;
        QString text;
        int needs = 0;
        int has = 0;
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (label->wordWrap())
                continue;
            text = label->text();
            needs = textWidth(label, text, label->textFormat());
            has = labelRoom(label);
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            text = button->text();
            needs = textWidth(button, text, Qt::PlainText);
            has = buttonRoom(button);
        }
        if (needs <= has)
            continue;
        cut.append(QStringLiteral("%1: %2 (needs %3 px, has %4 px)")
                       .arg(widget->objectName(), text)
                       .arg(needs)
                       .arg(has));
    }
    return cut;
}

#endif // TEXTFIT_H
