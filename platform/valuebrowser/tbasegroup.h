#pragma once

#include "platform/valuebrowser/tbaseitem.h"

#include <QString>

/** A collapsible group of value rows; its section name is shown beside its name. */
class TBaseGroup : public TBaseItem
{
public:
    TBaseGroup(TValueBrowser *browser, const QString &name);
    ~TBaseGroup() override;
    Q_DISABLE_COPY_MOVE(TBaseGroup)

    QString name() const;
    QString sectionName() const;
    void setSectionName(const QString &section);
};
