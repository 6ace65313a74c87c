#pragma once
// The model windows' report box: the report as the command line prints it, its prose wrapped at the
// box's width and its tables narrowed to it (the padding between their columns taken in, every
// column still aligned), so a table wider than the box, such as a check's through a feed system
// with its rig column, keeps one line to a row. Copy takes the text as printed.

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <vector>

namespace brimalox {

// Lines as shown at a width of `columns` characters: in each run of two or more lines of one
// length wider than that, columns blank in every line of the run are left out, a run of blanks
// keeping two, until the lines fit or no blank is left to take. kept[i] holds the columns of
// lines[i] that shown[i] shows; it is empty for a line shown as it is.
struct Narrowed {
    QStringList shown;
    std::vector<std::vector<int>> kept;
};
Narrowed narrowTables(const QStringList& lines, int columns);

class ReportView : public QPlainTextEdit {
public:
    explicit ReportView(QWidget* parent);
    void setReport(const QString& text);
    // The report as printed, whatever the box shows of it.
    const QString& report() const { return report_; }
    // The characters a line of the box holds.
    int columns() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void lay();

    QString report_;
    std::vector<std::vector<int>> kept_;
    int laidFor_ = -1;
};

}  // namespace brimalox
