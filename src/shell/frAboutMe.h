// The About box "О программе и авторе".
#pragma once
#include <QDialog>

class TfrAboutMe : public QDialog
{
    Q_OBJECT
public:
    explicit TfrAboutMe(QWidget *parent = nullptr);
    static QString VersionText();  // "Версия " + the build's version
};
