#pragma once

#include <QStringList>

class QLabel;
class QSplitter;
class QTableWidget;
class QWidget;
class QVBoxLayout;

/** Building blocks of the statistics tabs: captioned fixed tables of caption and value rows. */
namespace stattables {

/** A table of fixed rows: column 0 the caption (enabled only), column 1 the value (selectable). */
QTableWidget *makeFixed(QWidget *parent, int rows);
/** Sets the captions of a fixed table's rows (again after a language change). */
void setCaptions(QTableWidget *table, const QStringList &captions);
void setValue(QTableWidget *table, int row, const QString &value);
QString value(const QTableWidget *table, int row);
/** Empties column 1. */
void clearValues(QTableWidget *table);
/** A horizontal splitter filling owner, into which the tab's columns go. */
QSplitter *makeColumns(QWidget *owner);
/** One more column of the splitter, for captioned tables one above the other. */
QVBoxLayout *addColumn(QSplitter *columns);
/** A caption label above a table, both added to column. */
QLabel *addCaptioned(QVBoxLayout *column, QWidget *table);

} // namespace stattables
