// The script editor window (a catalogue script, its engine and text).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornScript : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornScript(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int scriptId);
};
