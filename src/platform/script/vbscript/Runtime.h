// VBScript's built-in function library, its constants and the Err object.
#pragma once
#include "platform/script/vbscript/Vm.h"

namespace vorn::vbs {

void registerConstants(QHash<QString, Variant> &constants);
ObjectPtr<DispatchObject> newErrObject(Vm *vm);

// LCID <-> locale for SetLocale / GetLocale.
int lcidOf(const QLocale &locale);
bool localeFromLcid(int lcid, QLocale *out);

} // namespace vorn::vbs
