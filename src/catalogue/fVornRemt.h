// The remote data module editor window (an automation server feeding a report).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornRemoteData : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornRemoteData(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int remoteDataId);
};
