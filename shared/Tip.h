#ifndef TIP_H
#define TIP_H

#include <QObject>
#include <QString>

// The tip code pairs that the host and the plug-in send to the tips dock,
// each named once. The numbers travel over the plug-in interface, so a pair
// never changes its value; the tips dock's catalogue gives them their texts.
namespace Tip {

struct Pair
{
    int var1;
    int var2;
};

constexpr bool operator==(Pair a, Pair b)
{
    return a.var1 == b.var1 && a.var2 == b.var2;
}

constexpr bool operator!=(Pair a, Pair b)
{
    return !(a == b);
}

// Files.
constexpr Pair FileNotFound{0, 0};
constexpr Pair FileUnreadable{0, 1};
constexpr Pair FileUnwritable{0, 2};
constexpr Pair FileSaveFailed{0, 3};
constexpr Pair FileSaved{0, 4};
constexpr Pair NoFilesToProcess{0, 5};
constexpr Pair FileExists{0, 6};
constexpr Pair FileRenamed{0, 7};
constexpr Pair FileRenameFailed{0, 8};
constexpr Pair FolderMissing{0, 20};
constexpr Pair OfficeMissing{0, 30};

// File lists.
constexpr Pair FileListEmpty{10, 0};
constexpr Pair FileListAEmpty{10, 1};
constexpr Pair FileListBEmpty{10, 2};

// Plug-ins.
constexpr Pair PluginLoaded{11, 11};
constexpr Pair PluginOpened{11, 12};
constexpr Pair PluginClosed{11, 13};
constexpr Pair NoPluginOpen{11, 14};

// Word lists of the conversions.
constexpr Pair ScriptListLinesDiffer{-1, 1};
constexpr Pair CustomListLinesDiffer{-1, 2};
constexpr Pair ScriptListEmpty{-1, 3};
constexpr Pair CustomListEmpty{-1, 4};
constexpr Pair RegionListsAreSamples{-1, 5};

constexpr Pair BaseConversionFailed{-2, 0};
constexpr Pair FormatTwoNotCustom{-3, 0};

// Worker threads.
constexpr Pair FileDone{-4, 0};
constexpr Pair ThreadPoolFailed{-4, 1};
constexpr Pair AllThreadsDone{-4, 2};
constexpr Pair ThreadStepDone{-4, 3};

// Steps.
constexpr Pair AddStepFailed{-5, 0};
constexpr Pair StepStarted{-5, 1};
constexpr Pair StepFinished{-5, 2};
constexpr Pair AllStepsDone{-5, 3};

// Parameters and choices.
constexpr Pair ParametersInvalid{-6, 0};
constexpr Pair NoStepsAdded{-6, 1};
constexpr Pair NoOperationChosen{-6, 2};
constexpr Pair NoStepsToRemove{-6, 3};
constexpr Pair NoStepChosenToRemove{-6, 4};
constexpr Pair EmptyReplaceKey{-7, 0};
constexpr Pair NoOptionChosen{-9, 9};

// Traces without a catalogue text: the dock shows their codes and text.
constexpr Pair CurrentPluginSet{66, 66};
constexpr Pair CurrentPluginDropped{66, 67};
constexpr Pair StepRecording{68, 68};
constexpr Pair StepListLength{68, 69};
constexpr Pair StepRemoving{23, 23};
constexpr Pair StepRemoved{23, 24};
constexpr Pair StepRunning{56, 56};

} // namespace Tip

// Emits the sender's tipSignal for a named pair; the signal itself keeps
// its two numbers, which are what connected slots and plug-ins expect.
template<typename Sender>
void emitTip(Sender *sender, Tip::Pair tip, const QString &tipText = QString())
{
    emit sender->tipSignal(tip.var1, tip.var2, tipText);
}

#endif // TIP_H
