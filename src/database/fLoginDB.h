// Connection profiles in VornConn.ini and the login dialog "Подсоединение к базе
// данных": profile choice and editing, recent profile and logins, the three attempts,
// the empty-password retry with the forced password change, and ConnectFromProfile.
#pragma once
#include "platform/core/IniFile.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;

namespace vorn {
class Database;
class SettingsStore;
}

// The profile file beside the executable.
QString VornConnIniPath();
// The profile file of the command-line tools: VornConn.ini in the current directory,
// else the one beside the program.
QString ToolConnIniPath();

// The login's logic without widgets: what the dialog shows and changes.
class TLoginProfiles
{
public:
    TLoginProfiles(vorn::Database *db, vorn::SettingsStore *store, const QString &iniPath);

    void Load();                               // reads the file and the recent profile
    QStringList Profiles() const { return m_profiles; }
    QString DefConnection() const { return m_defConnection; }
    bool EditAllowed() const { return m_editAllowed; }
    QString RecentProfile() const;
    QString InitialProfile() const;            // recent, else DefConnection, else the first
    QString CurrentProfile() const { return m_current; }
    bool Modified() const { return m_modified; }

    // Makes name current: offers to save the previous profile's changes first, then
    // loads the profile into the connection.
    void SelectProfile(const QString &name);
    // Fills the connection from a profile's section (no question asked).
    static void LoadProfileInto(const vorn::IniFile &ini, const QString &name, vorn::Database *db);

    bool HasParam(const QString &name) const;
    QString Param(const QString &name) const;
    void SetParam(const QString &name, const QString &value);  // "" is stored as one blank

    QStringList LoginList(const QString &profile) const;       // most recent first
    // Tries the login; true when the connection is open. *firstError gets the first
    // attempt's error text on failure.
    bool TryConnect(const QString &login, const QString &password, QString *firstError, bool *emptyPassword);
    void SaveAfterConnect(const QString &login);               // the questions and memory updates

    bool NewProfile(const QString &name, const QString &driver);
    void DeleteCurrentProfile();                               // asks "Удалить подключение?"
    bool SaveModified();                                       // asks; true when written

    vorn::Database *Connection() const { return m_db; }
    vorn::SettingsStore *Store() const { return m_store; }
    const vorn::IniFile &Ini() const { return m_ini; }

private:
    void updateLoginList(const QString &login);

    vorn::Database *m_db;
    vorn::SettingsStore *m_store;
    vorn::IniFile m_ini;
    QStringList m_profiles;     // in the order of their keys
    QString m_defConnection;    // DefConnection
    bool m_editAllowed = false; // EditConnections, or no profiles at all
    QString m_current;          // current profile name
    bool m_modified = false;    // current profile's parameters changed
};

class TfLoginDB : public QDialog
{
    Q_OBJECT
public:
    TfLoginDB(TLoginProfiles *profiles, QWidget *parent = nullptr);

    QString Login() const;
    QString Password() const;
    void SetLogin(const QString &l);
    void SetPassword(const QString &p);
    bool Unfolded() const;
    void SetUnfolded(bool on);
    void ShowProfile(const QString &name);  // selection through the list
    QComboBox *ProfileList() const { return m_cbProfiles; }

    void done(int r) override;

private:
    void loadProfileControls();
    void writeEditsBack();
    void fillGrid();

    TLoginProfiles *m_p;
    QString m_initialCaption;
    QComboBox *m_cbLogin;
    QLineEdit *m_edPassword;
    QToolButton *m_btnMore;
    QWidget *m_panel;
    QComboBox *m_cbProfiles;
    QRadioButton *m_rbRegistry;
    QRadioButton *m_rbFile;
    QPushButton *m_btnNew;
    QTabWidget *m_tabs;
    QLabel *m_lblServer;
    QLineEdit *m_edServer;
    QLabel *m_lblDatabase;
    QLineEdit *m_edDatabase;
    QLineEdit *m_edDriver;
    QTableWidget *m_grid;
    int m_panelHeight = 200;
    bool m_loading = false;
};

// The interactive login; returns the profile name used, or "" when the user gave up.
QString LoginDialog(vorn::Database *db, QWidget *parent = nullptr);
QString LoginDialogWith(vorn::Database *db, vorn::SettingsStore *store, const QString &iniPath, QWidget *parent = nullptr);
// Opens the connection from a profile without a dialog; errors go to an error box.
bool ConnectFromProfile(vorn::Database *db, const QString &profile, const QString &login, const QString &password);
bool ConnectFromProfileWith(vorn::Database *db, const QString &iniPath, const QString &profile, const QString &login,
                            const QString &password);
