#ifndef OPTION_H
#define OPTION_H

#include <QWidget>

namespace Ui {
class Option;
}

// The options window: every settings file on five tabs, all written back on
// save. The widgets hold the settings; the window keeps no copy.
class Option : public QWidget
{
    Q_OBJECT
public:
    // What happens to a modified document before it is closed.
    enum class CloseBefore { Save = 0, Inquiry = 1, Ignore = 2 };
    Q_ENUM(CloseBefore)

    explicit Option(QWidget *parent = nullptr);
    ~Option() override;

signals:
    void optionSignal();

private slots:
    void on_pushButton_save_clicked();

private:
    void loadPlugins();
    QString pluginTable() const;
    // Sizes the filter box to show its lines whole.
    void fitSuffixBox();

    Ui::Option *ui;
};

#endif // OPTION_H
