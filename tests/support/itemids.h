// The ids of a list of library values, in list order (test code only).
#ifndef ITEMIDS_H
#define ITEMIDS_H

#include <QStringList>

template<typename List>
QStringList idsOf(const List &items)
{
    QStringList out;
    for (const auto &item : items)
        out.append(item.id());
    return out;
}

#endif // ITEMIDS_H
