#include "database/fLoginDB.h"

#include "database/VornMessages.h"
#include "database/fPasswrd.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/data/Database.h"
#include "platform/data/DataError.h"
#include "platform/widgets/WindowPlacement.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

using vorn::Database;

static const QString kConnections = QStringLiteral("Connections");
static const QString kRecentKey = QStringLiteral("ResentConnections");
static const QString kRecentValue = QStringLiteral("ResentConnection");
static constexpr int kMaxLogins = 9;

QString VornConnIniPath() { return vorn::sysinfo::executableDir() + QStringLiteral("/VornConn.ini"); }

QString ToolConnIniPath()
{
    const QString here = QDir::current().filePath(QStringLiteral("VornConn.ini"));
    return QFileInfo::exists(here) ? here : VornConnIniPath();
}

// Without a driver the connection would open (and create) an SQLite file named by
// DATABASE NAME wherever the program happens to run.
static QString MissingDriverText(const QString &profile)
{
    return QStringLiteral("В подключении \"%1\" не указан драйвер базы данных (Driver)").arg(profile);
}

TLoginProfiles::TLoginProfiles(Database *db, vorn::SettingsStore *store, const QString &iniPath)
    : m_db(db), m_store(store)
{
    m_ini.setFileName(iniPath);
}

void TLoginProfiles::Load()
{
    m_ini.clear();
    m_ini.load(m_ini.fileName());
    m_profiles.clear();
    for (const QString &key : m_ini.keys(kConnections)) {
        if (key.compare(u"DefConnection", Qt::CaseInsensitive) == 0 || key.compare(u"EditConnections", Qt::CaseInsensitive) == 0)
            continue;
        m_profiles << m_ini.value(kConnections, key);
    }
    m_defConnection = m_ini.value(kConnections, QStringLiteral("DefConnection"));
    m_editAllowed = m_profiles.isEmpty() ||
                    m_ini.value(kConnections, QStringLiteral("EditConnections")).compare(u"True", Qt::CaseInsensitive) == 0;
    m_current.clear();
    m_modified = false;
    m_db->setDriverName(QString());
    m_db->params().clear();
}

QString TLoginProfiles::RecentProfile() const { return m_store->readString(kRecentKey, kRecentValue); }

QString TLoginProfiles::InitialProfile() const
{
    const QString recent = RecentProfile();
    if (!recent.isEmpty() && m_profiles.contains(recent))
        return recent;
    if (!m_defConnection.isEmpty() && m_profiles.contains(m_defConnection))
        return m_defConnection;
    return m_profiles.value(0);
}

void TLoginProfiles::LoadProfileInto(const vorn::IniFile &ini, const QString &name, Database *db)
{
    db->setDriverName(QString());
    db->params().clear();
    for (const QString &key : ini.keys(name)) {
        const QString value = ini.value(name, key);
        if (key.compare(u"Driver", Qt::CaseInsensitive) == 0)
            db->setDriverName(value);
        else if (key.compare(u"HOST NAME", Qt::CaseInsensitive) == 0)
            db->params().setValue(key, vorn::sysinfo::computerName());
        else if (key.compare(u"APPLICATION NAME", Qt::CaseInsensitive) == 0)
            db->params().setValue(key, vorn::sysinfo::programName());
        else
            db->params().setValue(key, value);
    }
}

void TLoginProfiles::SelectProfile(const QString &name)
{
    if (m_modified && !m_current.isEmpty())
        SaveModified();
    m_current = name;
    LoadProfileInto(m_ini, name, m_db);
    m_modified = false;
}

bool TLoginProfiles::SaveModified()
{
    if (!m_modified || m_current.isEmpty())
        return false;
    m_modified = false;
    if (!Confirm(QStringLiteral("Параметры подключения были изменены. Сохранить изменения?")))
        return false;
    const vorn::ConnectionParams &p = m_db->params();
    for (int i = 0; i < p.count(); ++i) {
        const QString n = p.nameAt(i);
        if (n.compare(u"USER NAME", Qt::CaseInsensitive) == 0 || n.compare(u"PASSWORD", Qt::CaseInsensitive) == 0)
            continue;
        m_ini.setValue(m_current, n, p.valueAt(i));
    }
    m_ini.save();
    return true;
}

bool TLoginProfiles::HasParam(const QString &name) const { return m_db->params().contains(name); }
QString TLoginProfiles::Param(const QString &name) const { return m_db->params().value(name); }

void TLoginProfiles::SetParam(const QString &name, const QString &value)
{
    const QString v = value.isEmpty() ? QStringLiteral(" ") : value;
    if (m_db->params().value(name) == v && m_db->params().contains(name))
        return;
    m_db->params().setValue(name, v);
    m_modified = true;
}

QStringList TLoginProfiles::LoginList(const QString &profile) const
{
    const QString key = kRecentKey + u'\\' + profile;
    QStringList out;
    for (int i = 0; m_store->valueExists(key, QString::number(i)); ++i)
        out.prepend(m_store->readString(key, QString::number(i)));
    return out;
}

void TLoginProfiles::updateLoginList(const QString &login)
{
    const QString key = kRecentKey + u'\\' + m_current;
    QStringList entries;  // by entry number
    for (int i = 0; m_store->valueExists(key, QString::number(i)); ++i)
        entries << m_store->readString(key, QString::number(i));
    const qsizetype n = entries.size();
    const qsizetype found = entries.indexOf(login);
    if (found >= 0) {
        entries[found] = entries[n - 1];  // the former last entry takes the old place
        entries[n - 1] = login;
    } else if (n < kMaxLogins) {
        entries << login;
    } else {
        entries[n - 1] = login;
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        m_store->writeString(key, QString::number(i), entries[i]);
}

bool TLoginProfiles::TryConnect(const QString &login, const QString &password, QString *firstError, bool *emptyPassword)
{
    if (m_db->driverName().isEmpty()) {
        if (firstError)
            *firstError = MissingDriverText(m_current);
        if (emptyPassword)
            *emptyPassword = false;
        return false;
    }
    m_db->params().setValue(QStringLiteral("USER NAME"), login);
    m_db->params().setValue(QStringLiteral("PASSWORD"), password);
    QString error;
    bool empty = password.isEmpty();
    try {
        m_db->open();
    } catch (const vorn::DataError &e) {
        error = e.message();
    }
    if (!m_db->isOpen() && !password.isEmpty()) {
        // Logins created without a password connect this way, and must then set one.
        m_db->params().setValue(QStringLiteral("PASSWORD"), QString());
        try {
            m_db->open();
            empty = true;
        } catch (const vorn::DataError &) {
        }
    }
    if (firstError)
        *firstError = error;
    if (emptyPassword)
        *emptyPassword = m_db->isOpen() && empty;
    return m_db->isOpen();
}

void TLoginProfiles::SaveAfterConnect(const QString &login)
{
    SaveModified();
    m_store->writeString(kRecentKey, kRecentValue, m_current);
    updateLoginList(login);
}

bool TLoginProfiles::NewProfile(const QString &name, const QString &driver)
{
    const QString n = name.trimmed();
    if (n.isEmpty() || driver.isEmpty())
        return false;
    // The current profile's edits are offered for saving while they are still in the
    // connection: reloading the file below replaces them.
    SaveModified();
    vorn::ConnectionParams p = Database::defaultParams(driver);
    if (driver.compare(u"MSSQL", Qt::CaseInsensitive) == 0)
        p.setValue(QStringLiteral("LANGDRIVER"), QStringLiteral("DBWINUS0"));
    else if (driver.compare(u"INTRBASE", Qt::CaseInsensitive) == 0)
        p.setValue(QStringLiteral("LANGDRIVER"), QStringLiteral("ancyrr"));
    if (p.contains(QStringLiteral("BLOB SIZE")))
        p.setValue(QStringLiteral("BLOB SIZE"), QStringLiteral("512"));
    if (p.value(QStringLiteral("DATABASE NAME")).isEmpty())
        p.setValue(QStringLiteral("DATABASE NAME"), QStringLiteral(" "));
    m_ini.setValue(kConnections, n, n);
    m_ini.setValue(kConnections, QStringLiteral("EditConnections"), QStringLiteral("True"));
    m_ini.setValue(n, QStringLiteral("Driver"), driver);
    for (int i = 0; i < p.count(); ++i) {
        const QString pn = p.nameAt(i);
        if (pn.compare(u"USER NAME", Qt::CaseInsensitive) != 0 && pn.compare(u"PASSWORD", Qt::CaseInsensitive) != 0)
            m_ini.setValue(n, pn, p.valueAt(i));
    }
    m_ini.save();
    const QString keep = m_current;
    const bool keepModified = m_modified;
    Load();
    m_current = keep;
    m_modified = keepModified;
    SelectProfile(n);
    return true;
}

void TLoginProfiles::DeleteCurrentProfile()
{
    if (m_current.isEmpty() || !Confirm(QStringLiteral("Удалить подключение?")))
        return;
    for (const QString &key : m_ini.keys(kConnections))
        if (key.compare(u"DefConnection", Qt::CaseInsensitive) != 0 && key.compare(u"EditConnections", Qt::CaseInsensitive) != 0 &&
            m_ini.value(kConnections, key) == m_current)
            m_ini.removeKey(kConnections, key);
    m_ini.removeSection(m_current);
    m_ini.save();
    m_modified = false;
    m_profiles.removeAll(m_current);
    m_current.clear();
    if (!m_profiles.isEmpty())
        SelectProfile(m_profiles.first());
    else {
        m_db->setDriverName(QString());
        m_db->params().clear();
    }
}

// ---------------------------------------------------------------- the dialog

TfLoginDB::TfLoginDB(TLoginProfiles *profiles, QWidget *parent) : QDialog(parent), m_p(profiles)
{
    setObjectName(QStringLiteral("fLoginDB"));
    m_initialCaption = QStringLiteral("Подсоединение к базе данных");
    setWindowTitle(m_initialCaption);
    auto *lay = new QVBoxLayout(this);
    auto *lblProgram = new QLabel(QStringLiteral("Программа : ") + QStringLiteral("Генератор отчётов Vorn"), this);
    lblProgram->setObjectName(QStringLiteral("lblProgram"));
    lay->addWidget(lblProgram);
    lay->addWidget(new QLabel(QStringLiteral("Введите Ваше пользовательское имя и пароль"), this));
    auto *form = new QFormLayout;
    m_cbLogin = new QComboBox(this);
    m_cbLogin->setObjectName(QStringLiteral("cbLogin"));
    m_cbLogin->setEditable(true);
    m_edPassword = new QLineEdit(this);
    m_edPassword->setObjectName(QStringLiteral("edPassword"));
    m_edPassword->setEchoMode(QLineEdit::Password);
    auto *lblLogin = new QLabel(QStringLiteral("&Имя пользователя :"), this);
    lblLogin->setBuddy(m_cbLogin);
    auto *lblPassword = new QLabel(QStringLiteral("&Пароль :"), this);
    lblPassword->setBuddy(m_edPassword);
    form->addRow(lblLogin, m_cbLogin);
    form->addRow(lblPassword, m_edPassword);
    lay->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_btnMore = new QToolButton(this);
    m_btnMore->setObjectName(QStringLiteral("btnMore"));
    m_btnMore->setText(QStringLiteral("&Дополнительно"));
    m_btnMore->setCheckable(true);
    m_btnMore->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    buttons->addButton(m_btnMore, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    lay->addWidget(buttons);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("pnlMore"));
    auto *pl = new QVBoxLayout(m_panel);
    pl->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Подключение :"), m_panel));
    m_cbProfiles = new QComboBox(m_panel);
    m_cbProfiles->setObjectName(QStringLiteral("cbProfiles"));
    m_cbProfiles->setContextMenuPolicy(Qt::CustomContextMenu);
    row->addWidget(m_cbProfiles, 1);
    m_btnNew = new QPushButton(QStringLiteral("Новое подключение"), m_panel);
    m_btnNew->setObjectName(QStringLiteral("btnNewConnection"));
    row->addWidget(m_btnNew);
    pl->addLayout(row);
    auto *src = new QHBoxLayout;
    m_rbRegistry = new QRadioButton(QStringLiteral("из регистри"), m_panel);
    m_rbRegistry->setEnabled(false);
    m_rbFile = new QRadioButton(QStringLiteral("из файла VornConn.ini"), m_panel);
    m_rbFile->setChecked(true);
    src->addWidget(m_rbRegistry);
    src->addWidget(m_rbFile);
    src->addStretch();
    pl->addLayout(src);
    m_tabs = new QTabWidget(m_panel);
    auto *main = new QWidget;
    auto *mf = new QFormLayout(main);
    m_edServer = new QLineEdit(main);
    m_edServer->setObjectName(QStringLiteral("edServer"));
    m_edDatabase = new QLineEdit(main);
    m_edDatabase->setObjectName(QStringLiteral("edDatabase"));
    m_edDriver = new QLineEdit(main);
    m_edDriver->setObjectName(QStringLiteral("edDriver"));
    m_edDriver->setReadOnly(true);
    m_lblServer = new QLabel(QStringLiteral("&Cервер :"), main);
    m_lblServer->setBuddy(m_edServer);
    m_lblDatabase = new QLabel(QStringLiteral("&База данных :"), main);
    m_lblDatabase->setBuddy(m_edDatabase);
    mf->addRow(m_lblServer, m_edServer);
    mf->addRow(m_lblDatabase, m_edDatabase);
    mf->addRow(new QLabel(QStringLiteral("Драйвер :"), main), m_edDriver);
    m_tabs->addTab(main, QStringLiteral("Основные параметры"));
    m_grid = new QTableWidget(0, 2);
    m_grid->setObjectName(QStringLiteral("gridParams"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Праметр"), QStringLiteral("Значение")});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_tabs->addTab(m_grid, QStringLiteral("Дополнительно таблица"));
    pl->addWidget(m_tabs);
    lay->addWidget(m_panel);
    m_panel->hide();

    connect(m_btnMore, &QToolButton::toggled, this, &TfLoginDB::SetUnfolded);
    connect(m_cbProfiles, &QComboBox::currentTextChanged, this, [this](const QString &name) {
        if (!m_loading && !name.isEmpty())
            ShowProfile(name);
    });
    auto editDone = [this](QLineEdit *ed, const char *param) {
        connect(ed, &QLineEdit::editingFinished, this, [this, ed, param] {
            if (!m_loading && m_p->EditAllowed() && ed->isModified()) {
                m_p->SetParam(QLatin1String(param), ed->text());
                ed->setModified(false);
            }
        });
    };
    editDone(m_edServer, "SERVER NAME");
    editDone(m_edDatabase, "DATABASE NAME");
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 1) {
            writeEditsBack();
            fillGrid();
        } else {
            loadProfileControls();
        }
    });
    connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *it) {
        if (m_loading || it->column() != 1 || it->row() == 0)
            return;
        m_p->SetParam(m_grid->item(it->row(), 0)->text(), it->text());
    });
    auto newProfile = [this] {
        if (!m_p->EditAllowed())
            return;
        QDialog d(this);
        d.setWindowTitle(QStringLiteral("Новое подключение"));
        auto *f = new QFormLayout(&d);
        auto *name = new QLineEdit(&d);
        name->setObjectName(QStringLiteral("edName"));
        auto *drv = new QComboBox(&d);
        drv->setObjectName(QStringLiteral("cbDriver"));
        for (const QString &dn : Database::driverNames())
            if (dn != u"STANDARD")
                drv->addItem(dn);
        f->addRow(QStringLiteral("Подключение"), name);
        f->addRow(QStringLiteral("Драйвер"), drv);
        auto *bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
        connect(bb, &QDialogButtonBox::accepted, &d, &QDialog::accept);
        connect(bb, &QDialogButtonBox::rejected, &d, &QDialog::reject);
        f->addRow(bb);
        if (d.exec() == QDialog::Accepted && m_p->NewProfile(name->text(), drv->currentText()))
            ShowProfile(m_p->CurrentProfile());
    };
    connect(m_btnNew, &QPushButton::clicked, this, newProfile);
    connect(m_cbProfiles, &QWidget::customContextMenuRequested, this, [this, newProfile](const QPoint &pos) {
        QMenu menu(this);
        QAction *aNew = menu.addAction(QStringLiteral("Новое подключение"));
        QAction *aDel = menu.addAction(QStringLiteral("Удалить подключение"));
        aNew->setEnabled(m_p->EditAllowed());
        aDel->setEnabled(m_p->EditAllowed());
        QAction *chosen = menu.exec(m_cbProfiles->mapToGlobal(pos));
        if (chosen == aNew)
            newProfile();
        else if (chosen == aDel) {
            m_p->DeleteCurrentProfile();
            ShowProfile(m_p->CurrentProfile());
        }
    });

    // where the user left it; its size is its own (it folds and unfolds)
    auto *placement = new vorn::WindowPlacement(this, m_p->Store(), QStringLiteral("fLoginDB"), vorn::WindowPlacement::Position);

    // Steps 1-5 of opening the dialog.
    m_loading = true;
    m_cbProfiles->addItems(m_p->Profiles());
    m_loading = false;
    if (m_p->Profiles().isEmpty()) {
        SetUnfolded(true);
        m_btnNew->setVisible(true);
    } else {
        ShowProfile(m_p->InitialProfile());
    }
    placement->restore();
}

void TfLoginDB::ShowProfile(const QString &name)
{
    if (name.isEmpty()) {
        m_loading = true;
        m_cbProfiles->clear();
        m_cbProfiles->addItems(m_p->Profiles());
        m_loading = false;
        setWindowTitle(m_initialCaption);
        return;
    }
    writeEditsBack();
    m_p->SelectProfile(name);
    m_loading = true;
    m_cbProfiles->clear();
    m_cbProfiles->addItems(m_p->Profiles());
    m_cbProfiles->setCurrentText(name);
    m_cbLogin->clear();
    m_cbLogin->addItems(m_p->LoginList(name));
    m_cbLogin->setCurrentText(m_p->LoginList(name).value(0));
    m_loading = false;
    loadProfileControls();
    m_btnNew->setVisible(m_p->EditAllowed());
    setWindowTitle(m_initialCaption + QStringLiteral(" /") + name + u'/');
    if (!m_cbLogin->currentText().isEmpty())
        m_edPassword->setFocus();
}

void TfLoginDB::loadProfileControls()
{
    m_loading = true;
    const bool hasServer = m_p->HasParam(QStringLiteral("SERVER NAME"));
    const bool hasDb = m_p->HasParam(QStringLiteral("DATABASE NAME"));
    m_lblServer->setVisible(hasServer);
    m_edServer->setVisible(hasServer);
    m_lblDatabase->setVisible(hasDb);
    m_edDatabase->setVisible(hasDb);
    m_edServer->setText(m_p->Param(QStringLiteral("SERVER NAME")));
    m_edDatabase->setText(m_p->Param(QStringLiteral("DATABASE NAME")));
    m_edServer->setModified(false);
    m_edDatabase->setModified(false);
    m_edServer->setReadOnly(!m_p->EditAllowed());
    m_edDatabase->setReadOnly(!m_p->EditAllowed());
    m_edDriver->setText(m_p->Connection()->driverName());
    m_loading = false;
}

void TfLoginDB::writeEditsBack()
{
    if (!m_p->EditAllowed() || m_p->CurrentProfile().isEmpty())
        return;
    if (m_edServer->isModified() && m_edServer->isVisible())
        m_p->SetParam(QStringLiteral("SERVER NAME"), m_edServer->text());
    if (m_edDatabase->isModified() && m_edDatabase->isVisible())
        m_p->SetParam(QStringLiteral("DATABASE NAME"), m_edDatabase->text());
    m_edServer->setModified(false);
    m_edDatabase->setModified(false);
}

void TfLoginDB::fillGrid()
{
    m_loading = true;
    const vorn::ConnectionParams &p = m_p->Connection()->params();
    QList<QPair<QString, QString>> rows;
    for (int i = 0; i < p.count(); ++i)
        if (p.nameAt(i).compare(u"USER NAME", Qt::CaseInsensitive) != 0 && p.nameAt(i).compare(u"PASSWORD", Qt::CaseInsensitive) != 0)
            rows << qMakePair(p.nameAt(i), p.valueAt(i));
    m_grid->setRowCount(int(rows.size()) + 1);
    auto setRow = [this](int r, const QString &n, const QString &v, bool editable, bool bold) {
        auto *a = new QTableWidgetItem(n);
        a->setFlags(a->flags() & ~Qt::ItemIsEditable);
        auto *b = new QTableWidgetItem(v);
        if (!editable)
            b->setFlags(b->flags() & ~Qt::ItemIsEditable);
        if (bold) {
            QFont f = a->font();
            f.setBold(true);
            a->setFont(f);
            b->setFont(f);
        }
        m_grid->setItem(r, 0, a);
        m_grid->setItem(r, 1, b);
    };
    setRow(0, QStringLiteral("Driver"), m_p->Connection()->driverName(), false, true);
    for (int i = 0; i < rows.size(); ++i)
        setRow(i + 1, rows[i].first, rows[i].second, m_p->EditAllowed(), false);
    m_loading = false;
}

QString TfLoginDB::Login() const { return m_cbLogin->currentText(); }
QString TfLoginDB::Password() const { return m_edPassword->text(); }
void TfLoginDB::SetLogin(const QString &l) { m_cbLogin->setCurrentText(l); }
void TfLoginDB::SetPassword(const QString &p) { m_edPassword->setText(p); }
bool TfLoginDB::Unfolded() const { return !m_panel->isHidden(); }

void TfLoginDB::SetUnfolded(bool on)
{
    if (on == Unfolded())
        return;
    const QSignalBlocker block(m_btnMore);
    m_btnMore->setChecked(on);
    m_btnMore->setArrowType(on ? Qt::UpArrow : Qt::DownArrow);
    if (on) {
        m_panel->show();
        resize(width(), std::max(height() + m_panelHeight, 350));
    } else {
        m_panelHeight = std::max(m_panel->height(), 1);
        m_panel->hide();
        adjustSize();
    }
}

void TfLoginDB::done(int r)
{
    writeEditsBack();
    SetUnfolded(false);  // folds up again when it closes
    QDialog::done(r);
}

QString LoginDialog(Database *db, QWidget *parent)
{
    vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    return LoginDialogWith(db, &store, VornConnIniPath(), parent);
}

QString LoginDialogWith(Database *db, vorn::SettingsStore *store, const QString &iniPath, QWidget *parent)
{
    TLoginProfiles profiles(db, store, iniPath);
    profiles.Load();
    TfLoginDB dlg(&profiles, parent);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (ExecDialog(&dlg) != QDialog::Accepted)
            break;
        QString error;
        bool emptyPassword = false;
        if (profiles.TryConnect(dlg.Login(), dlg.Password(), &error, &emptyPassword)) {
            // A login without a password works only once it has set one.
            if (emptyPassword && !ChangePassword(db, false, true, parent))
                break;
            profiles.SaveAfterConnect(dlg.Login());
            return profiles.CurrentProfile();
        }
        ShowError(error);
    }
    if (db->isOpen())
        db->close();
    return QString();
}

bool ConnectFromProfile(Database *db, const QString &profile, const QString &login, const QString &password)
{
    return ConnectFromProfileWith(db, VornConnIniPath(), profile, login, password);
}

bool ConnectFromProfileWith(Database *db, const QString &iniPath, const QString &profile, const QString &login,
                            const QString &password)
{
    const vorn::IniFile ini(iniPath);
    if (!ini.hasSection(profile)) {
        ShowError(QStringLiteral("Подключение не найдено: ") + profile);
        return false;
    }
    TLoginProfiles::LoadProfileInto(ini, profile, db);
    if (db->driverName().isEmpty()) {
        ShowError(MissingDriverText(profile));
        return false;
    }
    db->params().setValue(QStringLiteral("USER NAME"), login);
    db->params().setValue(QStringLiteral("PASSWORD"), password);
    try {
        db->open();
    } catch (const vorn::DataError &e) {
        ShowError(e.message());
    }
    return db->isOpen();
}
