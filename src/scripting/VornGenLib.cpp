// VornGen.tlb from the object model's declarations, and finding it at run time.
#include "scripting/VornGenLib.h"
#include "database/VornMessages.h"
#include "platform/automation/TypeLibrary.h"
#include "scripting/Impl_VornMain.h"
#include "scripting/Impl_VornParams.h"
#include "scripting/Impl_VornQuerys.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace vorn;

QUuid VornGenLibraryId() { return QUuid(QStringLiteral("{93307748-0A1E-11D3-992E-00C0DFE97D5A}")); }

std::shared_ptr<TypeLibrary> BuildVornGenTypeLibrary()
{
    auto lib = std::make_shared<TypeLibrary>();
    lib->name = QStringLiteral("VornGen");
    lib->doc = QStringLiteral("Внутренние объекты");
    lib->id = VornGenLibraryId();
    lib->major = 1;
    lib->minor = 0;
    // the declarations live as long as the process: the library only refers to them
    auto keep = [](const TypeInfo *t) { return std::shared_ptr<const TypeInfo>(t, [](const TypeInfo *) {}); };
    for (const TypeInfo *t : {TVornMain::staticTypeInfo(), TVornort::staticTypeInfo(), TVornQuerys::staticTypeInfo(),
                              TVornDataSet::staticTypeInfo(), TVornFields::staticTypeInfo(), TVornField::staticTypeInfo(),
                              TVornParams::staticTypeInfo(), TVornParam::staticTypeInfo(), TVornQueryParams::staticTypeInfo(),
                              TVornQueryParam::staticTypeInfo(), TVornFunction::staticTypeInfo()})
        lib->interfaces.append(keep(t));
    return lib;
}

QString FindVornGenTlb()
{
    const QString name = QStringLiteral("VornGen.tlb");
    for (const QString &dir : {QStringLiteral(VORN_SYSTEM_LIB_DIR), QCoreApplication::applicationDirPath()}) {
        const QString path = dir + u'/' + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

bool LoadVornGenTlb()
{
    static bool loaded = false;
    if (loaded)
        return true;
    const QString path = FindVornGenTlb();
    std::shared_ptr<TypeLibrary> lib = path.isEmpty() ? nullptr : TypeLibrary::load(path);
    if (!lib) {
        ShowMessage(TMsgKind::Information, QStringLiteral("Не могу найти VornGen.tlb !"), int(TMsgButton::Ok),
                    QCoreApplication::applicationName());
        return false;
    }
    TypeLibraryRegistry::instance().add(lib);
    loaded = true;
    return true;
}
