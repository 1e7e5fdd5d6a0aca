#ifndef DIALOGANSWER_H
#define DIALOGANSWER_H

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Answers the next modal dialog of type T once it is up, so that no test
// ever waits on a person. Keep the returned handle to see whether it ran;
// a dialog that never came leaves answered false.
template<typename T>
class DialogAnswer
{
public:
    explicit DialogAnswer(std::function<void(T *)> answer) : m_state(std::make_shared<State>())
    {
        auto state = m_state;
        auto *timer = new QTimer(qApp);
        timer->setObjectName(QStringLiteral("dialogAnswerTimer"));
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [state, timer, answer] {
            if (T *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                state->answered = true;
                answer(dialog);
            } else if (++state->ticks > 500) {
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start();
    }

    bool answered() const { return m_state->answered; }

private:
    struct State
    {
        bool answered = false;
        int ticks = 0;
    };
    std::shared_ptr<State> m_state;
};

// Drops every answer still waiting for its dialog. A test function ends with
// its own answers, whose callbacks may refer to its locals: one left waiting
// would otherwise answer the next test's dialog through dangling references.
inline void cancelPendingDialogAnswers()
{
    const QList<QTimer *> timers = qApp->findChildren<QTimer *>(QStringLiteral("dialogAnswerTimer"),
                                                                Qt::FindDirectChildrenOnly);
    for (QTimer *timer : timers) {
        timer->stop();
        delete timer;
    }
}

// Types names (relative to folder) into a file dialog and accepts it. The
// name is typed into the dialog's edit box, since selectFile leaves a box
// that has the focus alone. initialName receives what the dialog offered.
inline DialogAnswer<QFileDialog> chooseFiles(const QString &folder, const QStringList &names,
                                             QString *initialName = nullptr)
{
    return DialogAnswer<QFileDialog>([folder, names, initialName](QFileDialog *dialog) {
        if (initialName)
            *initialName = dialog->selectedFiles().value(0);
        dialog->setDirectory(folder);
        QStringList quoted;
        for (const QString &name : names)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        const QString typed = names.size() == 1 ? names.first() : quoted.join(QLatin1Char(' '));
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(typed);
        else
            dialog->selectFile(typed);
        static_cast<QDialog *>(dialog)->accept();
    });
}

inline DialogAnswer<QFileDialog> cancelFileDialog()
{
    return DialogAnswer<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
}

// Presses the message box button with this text.
inline DialogAnswer<QMessageBox> pressButton(const QString &text)
{
    return DialogAnswer<QMessageBox>([text](QMessageBox *box) {
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *button : buttons) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        box->reject();
    });
}

#endif // DIALOGANSWER_H
