// The query editor window (a catalogue query with its SQL text and the reports using it).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornQuery : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornQuery(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int queryId);
};
