#include "app/startup.h"

#include "collection/datacontrol.h"
#include "collection/texts.h"

namespace tembra {

QString collectionFile()
{
    QString path = texts::collectionPath();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

void handOver(ChildRead &reading, DataControl *data)
{
    HadithTable table;
    Error error;
    if (reading.collect(&table, &error))
        data->setTable(std::move(table));
    else
        data->setOpenError(error);
}

} // namespace tembra
