// The report group editor window (groups and their report and script members).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornGrpFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornGrpFrm(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int groupId, int formId, int scriptId);
};
