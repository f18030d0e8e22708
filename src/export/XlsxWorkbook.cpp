#include "export/XlsxWorkbook.h"

#include "store/ZKError.h"

#include <QDir>
#include <QFile>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int XlsxMaxRows = 1048576;

EZKError WriteError(const QString &path, lxw_error error)
{
    return EZKError(
        u"无法写入工作簿“%1”：%2"_s.arg(path, QString::fromUtf8(lxw_strerror(error))));
}

class TXlsxFile
{
public:
    explicit TXlsxFile(const QString &path)
        : FPath(path)
        , FTmpDir(QFile::encodeName(QDir::tempPath()))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = FTmpDir.data();
        options.use_zip64 = LXW_TRUE;
        QFile::remove(path);
        FBook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!FBook)
            throw EZKError(u"无法创建工作簿“%1”。"_s.arg(path));
        FDate = workbook_add_format(FBook);
        format_set_num_format(FDate, "yyyy-mm-dd");
        FDateTime = workbook_add_format(FBook);
        format_set_num_format(FDateTime, "yyyy-mm-dd hh:mm:ss");
    }
    ~TXlsxFile()
    {
        if (FBook)
            workbook_close(FBook);
    }
    TXlsxFile(const TXlsxFile &) = delete;
    TXlsxFile &operator=(const TXlsxFile &) = delete;

    void AddSheet(TExportSheet &sheet)
    {
        lxw_worksheet *ws = workbook_add_worksheet(FBook, sheet.Name.left(31).toUtf8().constData());
        if (!ws)
            throw EZKError(u"无法在“%2”中添加工作表 %1。"_s.arg(sheet.Name, FPath));
        for (int c = 0; c < sheet.Columns.size(); ++c)
            Check(worksheet_write_string(ws, 0, lxw_col_t(c), sheet.Columns[c].Name.toUtf8().constData(),
                                         nullptr));
        QVariantList values;
        int row = 0;
        while (sheet.NextRow && sheet.NextRow(values)) {
            if (++row >= XlsxMaxRows)
                throw EZKError(u"数据表 %1 的记录超过了工作表最多 %2 条记录的限制。"_s.arg(sheet.Name)
                                   .arg(XlsxMaxRows - 1));
            for (int c = 0; c < sheet.Columns.size(); ++c) {
                const QVariant value = c < values.size() ? values[c] : QVariant();
                WriteCell(ws, lxw_row_t(row), lxw_col_t(c), SheetCellOf(value, sheet.Columns[c].Kind));
            }
        }
    }

    void Close()
    {
        lxw_workbook *book = FBook;
        FBook = nullptr;
        const lxw_error error = workbook_close(book);
        if (error != LXW_NO_ERROR)
            throw WriteError(FPath, error);
    }

private:
    void Check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            throw WriteError(FPath, error);
    }

    void WriteCell(lxw_worksheet *ws, lxw_row_t row, lxw_col_t col, const TSheetCell &cell)
    {
        switch (cell.Kind) {
        case TCellKind::Empty:
            return;
        case TCellKind::Text:
            Check(worksheet_write_string(ws, row, col, cell.Text.toUtf8().constData(), nullptr));
            return;
        case TCellKind::Number:
            Check(worksheet_write_number(ws, row, col, cell.Number, nullptr));
            return;
        case TCellKind::Date:
            Check(worksheet_write_number(ws, row, col, cell.Number, cell.HasTime ? FDateTime : FDate));
            return;
        case TCellKind::Boolean:
            Check(worksheet_write_boolean(ws, row, col, cell.Boolean ? 1 : 0, nullptr));
            return;
        }
    }

    QString FPath;
    QByteArray FTmpDir;
    lxw_workbook *FBook = nullptr;
    lxw_format *FDate = nullptr;
    lxw_format *FDateTime = nullptr;
};

} // namespace

void WriteXlsxWorkbook(const QString &path, QList<TExportSheet> &sheets)
{
    TXlsxFile file(path);
    for (TExportSheet &sheet : sheets)
        file.AddSheet(sheet);
    file.Close();
}

void WriteEmptyXlsxWorkbook(const QString &path)
{
    QList<TExportSheet> sheets{{u"Sheet1"_s, {}, {}}};
    WriteXlsxWorkbook(path, sheets);
}
