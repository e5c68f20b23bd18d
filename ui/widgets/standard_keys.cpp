#include "ui/widgets/standard_keys.h"

QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, const QKeySequence& key) {
    QList<QKeySequence> keys{key};
    for (const QKeySequence& desktop : QKeySequence::keyBindings(command)) {
        if (!keys.contains(desktop)) keys << desktop;
    }
    return keys;
}
