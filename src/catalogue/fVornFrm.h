// The report editor window (a report, its ordered sources, layout and output settings).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornForm : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornForm(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int formId, int queryId, int remoteDataId);
};
