#include "ContentCodec.h"

#include <QCoreApplication>
#include <QTextCodec>
#include <QVariant>

#include <atomic>

namespace {

QTextCodec *utf8()
{
    return QTextCodec::codecForMib(106);
}

struct Choice
{
    std::atomic<QTextCodec *> codec{utf8()};
};

// The process's one choice. Each deliverable has its own copy of this code
// (their symbols are hidden from each other), so the first to ask leaves
// the choice's address on the application object for the other to find.
// The choice is never freed: a deliverable may ask until the process ends.
Choice *choice()
{
    static Choice *const found = [] {
        const char *const name = "quorvaneContentCodec";
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return new Choice;
        const QVariant held = app->property(name);
        if (held.isValid())
            return reinterpret_cast<Choice *>(held.value<quintptr>());
        auto *made = new Choice;
        app->setProperty(name, QVariant::fromValue(reinterpret_cast<quintptr>(made)));
        return made;
    }();
    return found;
}

} // namespace

QTextCodec *ContentCodec::chosen()
{
    return choice()->codec.load();
}

void ContentCodec::choose(QTextCodec *codec)
{
    choice()->codec.store(codec ? codec : utf8());
}
