// placeholder
#include <QtTest>
class TstScriptEngines : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TstScriptEngines)
#include "tst_scriptengines.moc"
