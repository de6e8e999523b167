#include "database/fPasswrd.h"

#include "database/VornMessages.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/SqlDialect.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>

static bool g_endRequested = false;
bool ProgramEndRequested() { return g_endRequested; }
void ClearProgramEndRequest() { g_endRequested = false; }

TfPasswrd::TfPasswrd(bool askOld, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fPasswrd"));
    setWindowTitle(QStringLiteral("Смена пароля"));
    auto *f = new QFormLayout(this);
    f->addRow(new QLabel(QStringLiteral("Введите новый пароль и повторите ввод"), this));
    auto mk = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setEchoMode(QLineEdit::Password);
        return e;
    };
    m_old = mk("edOldPassword");
    m_new = mk("edNewPassword");
    m_repeat = mk("edRepeatPassword");
    m_old->setEnabled(askOld);
    f->addRow(QStringLiteral("Старый пароль :"), m_old);
    f->addRow(QStringLiteral("Новый пароль :"), m_new);
    f->addRow(QStringLiteral("Повтор пароля :"), m_repeat);
    auto *bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(bb, &QDialogButtonBox::accepted, this, &TfPasswrd::accept);
    connect(bb, &QDialogButtonBox::rejected, this, &QDialog::reject);
    f->addRow(bb);
    (askOld ? m_old : m_new)->setFocus();
}

QString TfPasswrd::OldPassword() const { return m_old->text(); }
QString TfPasswrd::NewPassword() const { return m_new->text(); }

void TfPasswrd::SetPasswords(const QString &o, const QString &n, const QString &r)
{
    m_old->setText(o);
    m_new->setText(n);
    m_repeat->setText(r);
}

void TfPasswrd::accept()
{
    if (m_new->text().isEmpty()) {
        ShowWarning(QStringLiteral("Введите пароль!"));
        return;
    }
    if (m_new->text() != m_repeat->text()) {
        ShowWarning(QStringLiteral("Повтор должен совпадать с паролем!"));
        return;
    }
    QDialog::accept();
}

QString SpPasswordStatement(bool askOld, const QString &oldPw, const QString &newPw)
{
    using D = vorn::Database::Dialect;
    return QStringLiteral("Exec sp_password ") +
           (askOld ? vorn::dialect::quotedString(D::MsSql, oldPw) : QStringLiteral("NULL")) + QStringLiteral(", ") +
           vorn::dialect::quotedString(D::MsSql, newPw);
}

void SetServerPassword(vorn::Database *db, bool askOld, const QString &oldPw, const QString &newPw)
{
    using D = vorn::Database::Dialect;
    switch (db->dialect()) {
    case D::MsSql:
        db->execSql(SpPasswordStatement(askOld, oldPw, newPw));
        break;
    case D::PostgreSql: {
        if (askOld) {
            // ALTER ROLE does not know the old password: prove it with a second login.
            vorn::Database probe;
            probe.setDriverName(db->driverName());
            probe.params() = db->params();
            probe.params().setValue(QStringLiteral("PASSWORD"), oldPw);
            probe.params().setValue(QStringLiteral("APPLICATION NAME"), QStringLiteral("password check"));
            try {
                probe.open();
            } catch (const vorn::DataError &) {
                throw vorn::DataError(QStringLiteral("Неверный старый пароль"));
            }
            probe.close();
        }
        db->execSql(QStringLiteral("ALTER ROLE CURRENT_USER PASSWORD ") + vorn::dialect::quotedString(D::PostgreSql, newPw));
        break;
    }
    case D::Sqlite: {
        const QString salt = QString::number(QRandomGenerator::system()->generate64(), 16);
        vorn::ParamList p;
        auto add = [&p](const char *name, const QString &v) { p.add(vorn::Param(QLatin1String(name))).setAsString(v); };
        add("salt", salt);
        add("new", newPw);
        QString sql = QStringLiteral("UPDATE VornLogin SET PwdSalt = :salt, PwdHash = vorn_hash(:salt, :new) "
                                     "WHERE LoginName = vorn_login()");
        if (askOld) {
            sql += QStringLiteral(" AND PwdHash = vorn_hash(PwdSalt, :old)");
            add("old", oldPw);
        }
        // The login's own row, through the program: allowed under the catalogue guard.
        vorn::Database::CatalogueWrites own(db);
        if (db->execSql(sql, p) <= 0)
            throw vorn::DataError(QStringLiteral("Неверный старый пароль"));
        break;
    }
    default:
        throw vorn::DataError(QStringLiteral("Неизвестная коннекция"));
    }
    db->params().setValue(QStringLiteral("PASSWORD"), newPw);
}

bool ChangePassword(vorn::Database *db, bool askOld, bool endOnCancel, QWidget *parent)
{
    if (!db) {
        ShowError(QStringLiteral("Неизвестная коннекция"));
        return false;
    }
    TfPasswrd dlg(askOld, parent);
    if (ExecDialog(&dlg) != QDialog::Accepted) {
        if (endOnCancel)
            g_endRequested = true;
        return false;
    }
    try {
        SetServerPassword(db, askOld, dlg.OldPassword(), dlg.NewPassword());
    } catch (const vorn::DataError &e) {
        ShowError(e.message());
        return false;
    }
    return true;
}
