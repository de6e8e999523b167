// The password dialog "Смена пароля" and the server call that changes the password
// of the connected login in each database's own way.
#pragma once
#include <QDialog>

class QLineEdit;
namespace vorn { class Database; }

class TfPasswrd : public QDialog
{
    Q_OBJECT
public:
    explicit TfPasswrd(bool askOld, QWidget *parent = nullptr);
    QString OldPassword() const;
    QString NewPassword() const;
    void SetPasswords(const QString &oldPw, const QString &newPw, const QString &repeat);
    void accept() override;  // refuses an empty or unrepeated password
private:
    QLineEdit *m_old, *m_new, *m_repeat;
};

// The statement or check that sets a new password; raises the server's error.
void SetServerPassword(vorn::Database *db, bool askOld, const QString &oldPw, const QString &newPw);
// The SQL Server statement, with quotes in the passwords doubled.
QString SpPasswordStatement(bool askOld, const QString &oldPw, const QString &newPw);

// The dialog and the server call; false when cancelled or failed. With endOnCancel a
// cancel asks the program to end (honoured during start-up).
bool ChangePassword(vorn::Database *db, bool askOld, bool endOnCancel, QWidget *parent = nullptr);
bool ProgramEndRequested();
void ClearProgramEndRequest();
