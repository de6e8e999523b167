// Message boxes answered without a person: every text shown is recorded, and the
// preset answers are given in order (afterwards the first button the box offers).
#pragma once
#include "database/VornMessages.h"

#include <QList>
#include <QStringList>

namespace vorntest {

struct MessageLog
{
    QStringList texts;          // every message shown, in order
    QList<TMsgButton> answers;  // consumed in order
    TMsgAnswerer previous;      // restored by the destructor
    MessageLog()
    {
        previous = SetMessageAnswerer([this](const TMsgRequest &r) {
            texts << r.text;
            if (!answers.isEmpty())
                return answers.takeFirst();
            return TMsgButton(r.buttons & -r.buttons);
        });
    }
    ~MessageLog() { SetMessageAnswerer(previous); }
};

} // namespace vorntest
