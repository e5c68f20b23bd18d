#pragma once

#include <QKeySequence>
#include <QList>

// The keys of a command: `key` everywhere, then the desktop's own keys for
// the same standard command (Windows, for one, binds nothing to Quit).
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, const QKeySequence& key);
