// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeEditor.h"

#include "genetics/binaryFile.h"
#include "genetics/chemicalNames.h"
#include "genetics/textEncoding.h"
#include "genometext/geneLayout.h"
#include "genometext/genomeText.h"
#include "mapping/geneChange.h"
#include "ui/accessibleNames.h"
#include "ui/geneChangeView.h"
#include "writers/safeOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>

#include <cstring>
#include <utility>

namespace helixplot {

namespace {

QString text(std::string_view decoded)
{
    return QString::fromStdString(utf8Text(decoded));
}

QString chemicalCaption(int value)
{
    const std::string& name = ChemicalNames[static_cast<std::size_t>(value)];
    return name.empty() ? QString::number(value) : QStringLiteral("%1 %2").arg(value).arg(text(name));
}

// A combo box over the 256 values of a byte, searched by any part of a name.
QComboBox* valueBox(const QStringList& captions)
{
    auto* box = new QComboBox;
    box->addItems(captions);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setFilterMode(Qt::MatchContains);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    return box;
}

} // namespace

// One byte of one gene set to a value.
class EditBytesCommand : public QUndoCommand {
public:
    EditBytesCommand(GenomeEditor& editor, int gene, std::size_t offset, std::uint8_t value)
        : editor_(editor), gene_(gene), offset_(offset), before_(editor.genome_.byteAt(gene, offset)), after_(value)
    {
        setText(QStringLiteral("Change a value"));
    }
    void redo() override { set(after_); }
    void undo() override { set(before_); }

private:
    void set(std::uint8_t value)
    {
        editor_.genome_.setByte(static_cast<std::size_t>(gene_), offset_, value);
        editor_.geneChanged(gene_);
    }
    GenomeEditor& editor_;
    int gene_;
    std::size_t offset_;
    std::uint8_t before_;
    std::uint8_t after_;
};

// The gene list replaced (add, duplicate, delete, move).
class EditGenesCommand : public QUndoCommand {
public:
    EditGenesCommand(GenomeEditor& editor, const QString& what, std::vector<GenomeEdit::Gene> after, int selectAfter)
        : editor_(editor), before_(editor.genome_.geneList()), after_(std::move(after)), selectBefore_(editor.current_),
          selectAfter_(selectAfter)
    {
        setText(what);
    }
    void redo() override
    {
        editor_.genome_.setGeneList(after_);
        editor_.genesChanged(selectAfter_);
    }
    void undo() override
    {
        editor_.genome_.setGeneList(before_);
        editor_.genesChanged(selectBefore_);
    }

private:
    GenomeEditor& editor_;
    std::vector<GenomeEdit::Gene> before_;
    std::vector<GenomeEdit::Gene> after_;
    int selectBefore_;
    int selectAfter_;
};

GenomeEditor* GenomeEditor::open(const QString& path, EditorHooks hooks)
{
    if (!hooks.reportError)
        hooks.reportError = errorBoxReporter();
    try {
        try {
            BinaryFile file(QFile::encodeName(path).toStdString());
            const std::string bytes = file.readUpTo(MaxInputBytes);
            GenomeEdit genome = GenomeEdit::fromBytes(bytes);
            auto* editor = new GenomeEditor(path, std::move(genome), std::move(hooks));
            editor->setAttribute(Qt::WA_DeleteOnClose);
            editor->show();
            return editor;
        } catch (...) {
            rethrowWithDetails(fileDetails(path));
        }
    } catch (const std::exception& error) {
        reportError(hooks.reportError, error);
    }
    return nullptr;
}

GenomeEditor::GenomeEditor(const QString& path, GenomeEdit genome, EditorHooks hooks, QWidget* parent)
    : QMainWindow(parent), path_(path), original_(path), genome_(std::move(genome)), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("GenomeEditor"));
    if (!hooks_.reportError)
        hooks_.reportError = errorBoxReporter([this] { return boxParent(this); });
    if (!hooks_.confirm)
        hooks_.confirm = [this](const QString& question) {
            return QMessageBox::question(this, QStringLiteral("Move gene"), question) == QMessageBox::Yes;
        };
    if (!hooks_.askSave)
        hooks_.askSave = [this](const QString& question) {
            const auto answer = QMessageBox::question(this, QStringLiteral("Genome Editor"), question,
                                                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                                      QMessageBox::Save);
            return answer == QMessageBox::Save ? Save : answer == QMessageBox::Discard ? Discard : Cancel;
        };
    if (!hooks_.chooseSaveFile)
        hooks_.chooseSaveFile = [this](const QString& suggested) {
            return QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), suggested,
                                                QStringLiteral("Genomes (*.gen)"), nullptr,
                                                QFileDialog::DontConfirmOverwrite);
        };
    undo_ = new QUndoStack(this);
    setAcceptDrops(true);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("Filter"));
    filter_->setPlaceholderText(QStringLiteral("Filter by kind, id or chemical"));
    filter_->setAccessibleName(QStringLiteral("Filter genes"));
    filter_->setClearButtonEnabled(true);
    nameClearButton(filter_);
    connect(filter_, &QLineEdit::textChanged, this, &GenomeEditor::applyFilter);
    genes_ = new QTreeWidget;
    genes_->setObjectName(QStringLiteral("Genes"));
    genes_->setAccessibleName(QStringLiteral("Genes"));
    genes_->setHeaderLabel(QStringLiteral("Genes in file order"));
    genes_->setUniformRowHeights(true);
    connect(genes_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !refreshing_)
            selectGene(item->data(0, Qt::UserRole).toInt());
    });
    // Enter on a gene goes to its first field.
    connect(genes_, &QTreeWidget::itemActivated, this, [this] {
        views_->setCurrentIndex(0);
        for (QWidget* control : form_->findChildren<QWidget*>())
            if (control->focusPolicy() & Qt::TabFocus) {
                control->setFocus(Qt::TabFocusReason);
                break;
            }
    });
    leftLayout->addWidget(filter_);
    leftLayout->addWidget(genes_);

    formArea_ = new QScrollArea;
    formArea_->setObjectName(QStringLiteral("Form"));
    formArea_->setAccessibleName(QStringLiteral("Gene fields"));
    formArea_->setWidgetResizable(true);
    lines_ = new QListWidget;
    lines_->setObjectName(QStringLiteral("Lines"));
    lines_->setAccessibleName(QStringLiteral("Breakdown of the gene as edited"));
    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(formArea_);
    right->addWidget(lines_);
    text_ = new QPlainTextEdit;
    text_->setObjectName(QStringLiteral("Text"));
    text_->setAccessibleName(QStringLiteral("Genome text"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    errors_ = new QListWidget;
    errors_->setObjectName(QStringLiteral("TextErrors"));
    errors_->setAccessibleName(QStringLiteral("Errors of the genome text"));
    errors_->setMaximumHeight(120);
    errors_->hide();
    connect(errors_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QTextBlock block = text_->document()->findBlockByNumber(item->data(Qt::UserRole).toInt() - 1);
        if (block.isValid()) {
            text_->setTextCursor(QTextCursor(block));
            text_->setFocus();
        }
    });
    auto* textPage = new QSplitter(Qt::Vertical);
    textPage->addWidget(text_);
    textPage->addWidget(errors_);
    textPause_ = new QTimer(this);
    textPause_->setSingleShot(true);
    textPause_->setInterval(400);
    connect(textPause_, &QTimer::timeout, this, &GenomeEditor::applyText);
    connect(text_, &QPlainTextEdit::textChanged, this, [this] {
        if (!refreshing_)
            textPause_->start();
    });
    views_ = new QTabWidget;
    views_->setObjectName(QStringLiteral("Views"));
    views_->setAccessibleName(QStringLiteral("Gene form or genome text"));
    views_->tabBar()->setAccessibleName(QStringLiteral("Views"));
    views_->addTab(right, QStringLiteral("&Gene"));
    views_->addTab(textPage, QStringLiteral("&Text"));
    connect(views_, &QTabWidget::currentChanged, this, [this] {
        if (textPause_->isActive())
            applyText();
        refreshText();
    });
    auto* split = new QSplitter;
    split->addWidget(left);
    split->addWidget(views_);
    split->setStretchFactor(1, 2);
    split->setSizes({380, 620});
    setCentralWidget(split);
    resize(1000, 700);

    buildActions();
    connect(undo_, &QUndoStack::cleanChanged, this, &GenomeEditor::updateTitle);
    fillGeneList();
    updateTitle();
    if (genome_.size() > 0)
        selectGene(0);
    genes_->setFocus();
}

GenomeEditor::~GenomeEditor()
{
    // The stack reports its cleanness while it is destroyed: first, while
    // this window is whole, and to nobody.
    undo_->disconnect(this);
    delete undo_;
}

void GenomeEditor::buildActions()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* save = file->addAction(QStringLiteral("Save &As..."), this, &GenomeEditor::chooseAndSave);
    save->setObjectName(QStringLiteral("SaveAs"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    compare_ = file->addAction(QStringLiteral("&Compare with Original"), this, &GenomeEditor::compareWithOriginal);
    compare_->setObjectName(QStringLiteral("CompareWithOriginal"));
    compare_->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("Cl&ose"), QKeySequence::Close, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* undo = undo_->createUndoAction(this);
    undo->setShortcut(QKeySequence::Undo);
    undo->setObjectName(QStringLiteral("Undo"));
    QAction* redo = undo_->createRedoAction(this);
    redo->setShortcut(QKeySequence::Redo);
    redo->setObjectName(QStringLiteral("Redo"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QMenu* add = edit->addMenu(QStringLiteral("&Add Gene"));
    add->setObjectName(QStringLiteral("AddGene"));
    for (const GeneKindInfo& info : GeneKinds)
        add->addAction(QString::fromLatin1(bodyLayout(info.kind).word), this,
                       [this, kind = info.kind] { addGene(kind); });
    const struct {
        const char* name;
        const char* text;
        QKeySequence key;
        std::function<void()> run;
    } entries[] = {
        {"Duplicate", "&Duplicate Gene", QKeySequence(Qt::CTRL | Qt::Key_D), [this] { duplicateGene(); }},
        {"Delete", "De&lete Gene", QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] { deleteGene(); }},
        {"MoveUp", "Move &Up", QKeySequence(Qt::ALT | Qt::Key_Up), [this] { moveGene(-1); }},
        {"MoveDown", "Move Dow&n", QKeySequence(Qt::ALT | Qt::Key_Down), [this] { moveGene(1); }},
    };
    for (const auto& entry : entries) {
        QAction* action = edit->addAction(QString::fromLatin1(entry.text), entry.key, this, entry.run);
        action->setObjectName(QString::fromLatin1(entry.name));
    }
}

QString GenomeEditor::geneCaption(int gene) const
{
    const GeneRecord& record = genome_.gene(static_cast<std::size_t>(gene));
    const std::optional<GeneKind> kind = record.kind();
    const GeneLines lines = decodedLines(record);
    const QString word = kind ? QString::fromLatin1(bodyLayout(*kind).word)
                              : QStringLiteral("type %1/%2").arg(record.header.type).arg(record.header.subtype);
    return lines.empty() ? word : QStringLiteral("%1: %2").arg(word, text(lines[0]));
}

void GenomeEditor::fillGeneList()
{
    const bool wasRefreshing = std::exchange(refreshing_, true);
    genes_->clear();
    items_.assign(genome_.size(), nullptr);
    // Organs with their genes, then the loose genes, each in file order.
    QList<QTreeWidgetItem*> loose;
    QList<QTreeWidgetItem*> organs;
    for (std::size_t i = 0; i < genome_.size(); ++i) {
        auto* item = new QTreeWidgetItem({geneCaption(static_cast<int>(i))});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        items_[i] = item;
        const GeneSlot slot = genome_.slots()[i];
        if (slot.place == GenePlace::NewOrgan)
            organs << item;
        else if (const auto organ = genome_.organGeneOf(i))
            items_[*organ]->addChild(item);
        else
            loose << item;
    }
    genes_->addTopLevelItems(organs + loose);
    refreshing_ = wasRefreshing;
    applyFilter();
}

void GenomeEditor::applyFilter()
{
    const QString wanted = filter_->text().trimmed();
    for (QTreeWidgetItem* item : items_) {
        bool shown = wanted.isEmpty() || item->text(0).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
    }
    // An organ stays while one of its genes is shown.
    for (int i = 0; i < genes_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = genes_->topLevelItem(i);
        for (int c = 0; c < top->childCount(); ++c)
            if (!top->child(c)->isHidden())
                top->setHidden(false);
    }
}

void GenomeEditor::selectGene(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= genome_.size())
        index = genome_.size() > 0 ? static_cast<int>(genome_.size()) - 1 : -1;
    const bool other = index != current_;
    current_ = index;
    if (index >= 0 && genes_->currentItem() != items_[static_cast<std::size_t>(index)]) {
        const bool wasRefreshing = std::exchange(refreshing_, true);
        genes_->setCurrentItem(items_[static_cast<std::size_t>(index)]);
        refreshing_ = wasRefreshing;
    }
    if (other || !form_)
        buildForm();
    refreshLines();
}

void GenomeEditor::buildForm()
{
    refreshers_.clear();
    form_ = new QWidget;
    auto* layout = new QFormLayout(form_);
    formArea_->setWidget(form_);
    if (current_ < 0)
        return;
    const int gene = current_;
    const GeneRecord& record = genome_.gene(static_cast<std::size_t>(gene));
    const std::optional<GeneKind> kind = record.kind();
    auto byte = [this, gene](std::size_t offset) { return genome_.byteAt(static_cast<std::size_t>(gene), offset); };
    auto set = [this, gene](std::size_t offset, int value) {
        if (!refreshing_ && value >= 0 && value <= 255 &&
            value != genome_.byteAt(static_cast<std::size_t>(gene), offset))
            setGeneByte(gene, offset, static_cast<std::uint8_t>(value));
    };
    QStringList chemicals;
    auto addField = [&](const FieldLayout& field, std::size_t base) {
        const QString name = QString::fromStdString(field.name);
        const std::size_t at = base + field.offset;
        auto numberBox = [&](std::size_t offset, const QString& accessible) {
            auto* box = new QSpinBox;
            box->setRange(0, 255);
            box->setAccessibleName(accessible);
            box->setObjectName(accessible);
            box->setKeyboardTracking(true);
            connect(box, &QSpinBox::valueChanged, this, [set, offset](int v) { set(offset, v); });
            refreshers_.push_back([box, byte, offset] { box->setValue(byte(offset)); });
            return box;
        };
        switch (field.reading) {
        case FieldReading::Number:
            layout->addRow(name, numberBox(at, name));
            break;
        case FieldReading::Chemical:
        case FieldReading::Named: {
            QStringList captions;
            if (field.reading == FieldReading::Chemical) {
                if (chemicals.isEmpty())
                    for (int v = 0; v < 256; ++v)
                        chemicals << chemicalCaption(v);
                captions = chemicals;
            } else
                for (std::size_t v = 0; v < 256; ++v)
                    captions << (v < field.names.size() && !field.names[v].empty()
                                     ? QStringLiteral("%1 %2").arg(v).arg(QString::fromStdString(field.names[v]))
                                     : QString::number(v));
            QComboBox* box = valueBox(captions);
            box->setAccessibleName(name);
            // An editable box reads its text as its own name; the edit in it
            // carries the field's.
            box->lineEdit()->setAccessibleName(name);
            box->setObjectName(name);
            connect(box, &QComboBox::currentIndexChanged, this, [set, at](int v) { set(at, v); });
            refreshers_.push_back([box, byte, at] { box->setCurrentIndex(byte(at)); });
            layout->addRow(name, box);
            break;
        }
        case FieldReading::Flags: {
            auto* row = new QWidget;
            auto* flags = new QHBoxLayout(row);
            flags->setContentsMargins(0, 0, 0, 0);
            for (std::size_t bit = 0; bit < 8; ++bit) {
                const QString flag = bit < field.names.size() ? QString::fromStdString(field.names[bit])
                                                              : QStringLiteral("bit%1").arg(bit);
                auto* check = new QCheckBox(flag);
                check->setObjectName(name + QLatin1Char(' ') + flag);
                check->setAccessibleName(name + QLatin1Char(' ') + flag);
                const auto mask = static_cast<std::uint8_t>(1u << bit);
                connect(check, &QCheckBox::toggled, this,
                        [set, byte, at, mask](bool on) { set(at, on ? (byte(at) | mask) : (byte(at) & ~mask)); });
                refreshers_.push_back([check, byte, at, mask] { check->setChecked(byte(at) & mask); });
                flags->addWidget(check);
            }
            flags->addStretch();
            layout->addRow(name, row);
            break;
        }
        case FieldReading::Text: {
            auto* edit = new QLineEdit;
            edit->setMaxLength(field.width);
            edit->setAccessibleName(name);
            edit->setObjectName(name);
            connect(edit, &QLineEdit::textEdited, this, [this, gene, at, width = field.width](const QString& value) {
                const QByteArray latin = value.toLatin1();
                for (std::size_t i = 0; i < width; ++i) {
                    const auto c = static_cast<std::uint8_t>(i < static_cast<std::size_t>(latin.size()) ? latin[i] : 0);
                    if (c != genome_.byteAt(static_cast<std::size_t>(gene), at + i))
                        setGeneByte(gene, at + i, c);
                }
            });
            refreshers_.push_back([edit, byte, at, width = field.width] {
                QByteArray value;
                for (std::size_t i = 0; i < width && byte(at + i) != 0; ++i)
                    value += static_cast<char>(byte(at + i));
                if (edit->text() != QString::fromLatin1(value))
                    edit->setText(QString::fromLatin1(value));
            });
            layout->addRow(name, edit);
            break;
        }
        case FieldReading::List:
        case FieldReading::HalfLives: {
            auto* grid = new QWidget;
            auto* cells = new QGridLayout(grid);
            cells->setContentsMargins(0, 0, 0, 0);
            constexpr int Columns = 8;
            for (std::size_t i = 0; i < field.width; ++i) {
                const QString cell = field.reading == FieldReading::HalfLives
                                         ? QStringLiteral("half-life %1").arg(chemicalCaption(static_cast<int>(i)))
                                         : QStringLiteral("%1 %2").arg(name).arg(i + 1);
                QSpinBox* box = numberBox(at + i, cell);
                box->setToolTip(cell);
                cells->addWidget(box, static_cast<int>(i) / Columns, static_cast<int>(i) % Columns);
            }
            layout->addRow(name, grid);
            break;
        }
        }
    };
    layout->addRow(new QLabel(QStringLiteral("<b>header</b>")));
    for (const FieldLayout& field : headerLayout().fields)
        addField(field, 0);
    if (kind) {
        layout->addRow(new QLabel(QStringLiteral("<b>%1</b>").arg(QString::fromLatin1(bodyLayout(*kind).word))));
        for (const FieldLayout& field : bodyLayout(*kind).fields)
            addField(field, HeaderBytes);
    }
    refreshForm();
}

void GenomeEditor::refreshForm()
{
    const bool wasRefreshing = std::exchange(refreshing_, true);
    for (const auto& refresh : refreshers_)
        refresh();
    refreshing_ = wasRefreshing;
}

void GenomeEditor::refreshLines()
{
    lines_->clear();
    if (current_ < 0)
        return;
    const GenomeEdit::Gene& gene = genome_.genes()[static_cast<std::size_t>(current_)];
    const GeneLines lines = decodedLines(gene.record);
    std::vector<bool> changed(lines.size(), !gene.opened);
    if (gene.opened) {
        const GeneDiff diff = diffGenes(*gene.opened, gene.record);
        for (const DiffLine& line : diff.lines)
            if (line.change == LineChange::Added)
                changed[line.examinedLine] = true;
    }
    const QColor tint = changedLineColor(lines_->palette());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto* item = new QListWidgetItem(text(lines[i]), lines_);
        if (changed[i]) {
            item->setBackground(tint);
            item->setData(GeneChangeModel::ChangedRole, true);
        }
    }
}

QStringList GenomeEditor::shownLines() const
{
    QStringList shown;
    for (int i = 0; i < lines_->count(); ++i)
        shown << lines_->item(i)->text();
    return shown;
}

std::vector<int> GenomeEditor::changedLines() const
{
    std::vector<int> rows;
    for (int i = 0; i < lines_->count(); ++i)
        if (lines_->item(i)->data(GeneChangeModel::ChangedRole).toBool())
            rows.push_back(i);
    return rows;
}

void GenomeEditor::geneChanged(int gene)
{
    textStale_ = true;
    refreshText();
    if (gene != current_)
        selectGene(gene);
    else {
        refreshForm();
        refreshLines();
    }
    items_[static_cast<std::size_t>(gene)]->setText(0, geneCaption(gene));
}

void GenomeEditor::genesChanged(int select)
{
    textStale_ = true;
    refreshText();
    fillGeneList();
    current_ = -2; // the form is rebuilt: the gene at an index may be another
    selectGene(select);
}

void GenomeEditor::setGeneByte(int gene, std::size_t offset, std::uint8_t value)
{
    undo_->push(new EditBytesCommand(*this, gene, offset, value));
}

void GenomeEditor::addGene(GeneKind kind)
{
    std::vector<GenomeEdit::Gene> genes = genome_.geneList();
    const std::size_t at = current_ < 0 ? genes.size() : static_cast<std::size_t>(current_) + 1;
    genes.insert(genes.begin() + static_cast<std::ptrdiff_t>(at), {neutralGene(kind, nextFreeId(genes, kind)), {}});
    undo_->push(new EditGenesCommand(*this, QStringLiteral("Add gene"), std::move(genes), static_cast<int>(at)));
}

void GenomeEditor::duplicateGene()
{
    if (current_ < 0)
        return;
    std::vector<GenomeEdit::Gene> genes = genome_.geneList();
    const auto at = static_cast<std::size_t>(current_);
    genes.insert(genes.begin() + static_cast<std::ptrdiff_t>(at) + 1, {genes[at].record, {}});
    undo_->push(new EditGenesCommand(*this, QStringLiteral("Duplicate gene"), std::move(genes), current_ + 1));
}

void GenomeEditor::deleteGene()
{
    if (current_ < 0)
        return;
    std::vector<GenomeEdit::Gene> genes = genome_.geneList();
    genes.erase(genes.begin() + current_);
    undo_->push(new EditGenesCommand(*this, QStringLiteral("Delete gene"), std::move(genes), current_));
}

void GenomeEditor::moveGene(int step)
{
    const int to = current_ + step;
    if (current_ < 0 || to < 0 || static_cast<std::size_t>(to) >= genome_.size())
        return;
    std::vector<GenomeEdit::Gene> genes = genome_.geneList();
    std::swap(genes[static_cast<std::size_t>(current_)], genes[static_cast<std::size_t>(to)]);
    // Which organ the gene attaches to before and after, by the organ's gene.
    GenomeEdit moved = genome_;
    moved.setGeneList(genes);
    auto organOf = [](const GenomeEdit& edit, std::size_t index) -> QString {
        const auto organ = edit.organGeneOf(index);
        return organ ? QStringLiteral("the organ gene %1 (\"%2\")")
                           .arg(*organ + 1)
                           .arg(text(decodedLines(edit.gene(*organ)).empty() ? std::string_view{}
                                                                             : decodedLines(edit.gene(*organ))[0]))
                     : QStringLiteral("no organ");
    };
    auto organRecord = [](const GenomeEdit& edit, std::size_t index) -> std::optional<GeneRecord> {
        const auto organ = edit.organGeneOf(index);
        return organ ? std::optional(edit.gene(*organ)) : std::nullopt;
    };
    for (const auto& [before, after] : {std::pair{current_, to}, std::pair{to, current_}}) {
        const auto was = organRecord(genome_, static_cast<std::size_t>(before));
        const auto will = organRecord(moved, static_cast<std::size_t>(after));
        const bool same =
            was.has_value() == will.has_value() && (!was || std::memcmp(&*was, &*will, sizeof(GeneRecord)) == 0);
        if (!same && !hooks_.confirm(QStringLiteral("After this move, gene %1 attaches to %2 instead of %3. Move it?")
                                         .arg(after + 1)
                                         .arg(organOf(moved, static_cast<std::size_t>(after)),
                                              organOf(genome_, static_cast<std::size_t>(before)))))
            return;
    }
    undo_->push(new EditGenesCommand(*this, QStringLiteral("Move gene"), std::move(genes), to));
}

void GenomeEditor::updateTitle()
{
    setWindowTitle(QStringLiteral("%1[*] - Genome Editor").arg(QFileInfo(path_).fileName()));
    setWindowModified(!undo_->isClean());
}

void GenomeEditor::chooseAndSave()
{
    QFileInfo info(path_);
    const QString suggested = info.dir().filePath(info.completeBaseName() + QStringLiteral("-edited.gen"));
    const QString chosen = hooks_.chooseSaveFile(suggested);
    if (!chosen.isEmpty())
        saveAs(chosen);
}

bool GenomeEditor::saveAs(const QString& path)
{
    if (textPause_->isActive())
        applyText();
    if (!textErrors_.isEmpty()) {
        hooks_.reportError({QStringLiteral("The genome text does not compile: correct it or undo the change."),
                            textErrors_.join(u'\n')});
        return false;
    }
    try {
        try {
            const std::string target = QFile::encodeName(path).toStdString();
            // The safe writer refuses any file that exists, the original
            // included, and links, even dangling ones.
            checkNewGenomeTarget(target);
            writeNewGenomeFile(target, genome_.bytes());
        } catch (...) {
            rethrowWithDetails(fileDetails(path));
        }
    } catch (const std::exception& error) {
        reportError(hooks_.reportError, error);
        return false;
    }
    path_ = saved_ = path;
    undo_->setClean();
    compare_->setEnabled(true);
    updateTitle();
    return true;
}

void GenomeEditor::refreshText()
{
    // Decompiling a large genome takes a moment: only while the text is seen.
    if (!textStale_ || applyingText_ || views_->currentIndex() != 1)
        return;
    const bool wasRefreshing = std::exchange(refreshing_, true);
    const int line = text_->textCursor().blockNumber();
    text_->setPlainText(QString::fromStdString(decompileGenome(genome_.bytes(), ChemicalNames)));
    const QTextBlock block = text_->document()->findBlockByNumber(line);
    if (block.isValid())
        text_->setTextCursor(QTextCursor(block));
    refreshing_ = wasRefreshing;
    textStale_ = false;
    textErrors_.clear();
    errors_->clear();
    errors_->hide();
    text_->setExtraSelections({});
}

void GenomeEditor::applyText()
{
    textPause_->stop();
    const CompiledGenome compiled = compileGenomeText(text_->toPlainText().toStdString(), ChemicalNames);
    textErrors_.clear();
    errors_->clear();
    QList<QTextEdit::ExtraSelection> marks;
    for (const GenomeTextError& error : compiled.errors) {
        const QString line = QStringLiteral("%1:%2: %3").arg(error.line).arg(error.column).arg(text(error.message));
        textErrors_ << line;
        auto* item = new QListWidgetItem(line, errors_);
        item->setData(Qt::UserRole, static_cast<int>(error.line));
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(text_->document()->findBlockByNumber(static_cast<int>(error.line) - 1));
        mark.format.setBackground(QColor(255, 200, 200));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.format.setToolTip(line);
        marks << mark;
    }
    text_->setExtraSelections(marks);
    errors_->setVisible(!compiled.errors.empty());
    if (!compiled.errors.empty() || compiled.bytes == genome_.bytes())
        return;
    GenomeEdit edited = GenomeEdit::fromBytes(compiled.bytes);
    std::vector<GenomeEdit::Gene> genes = edited.geneList();
    // A gene keeps what it was when opened while the text keeps the genes
    // where they were.
    if (genes.size() == genome_.size())
        for (std::size_t i = 0; i < genes.size(); ++i)
            genes[i].opened = genome_.genes()[i].opened;
    // The text the user is typing stays as typed.
    applyingText_ = true;
    undo_->push(new EditGenesCommand(*this, QStringLiteral("Edit text"), std::move(genes), current_));
    applyingText_ = false;
    textStale_ = false;
}

void GenomeEditor::compareWithOriginal()
{
    if (!saved_.isEmpty() && hooks_.compare)
        hooks_.compare(saved_, original_);
}

void GenomeEditor::closeEvent(QCloseEvent* event)
{
    if (!undo_->isClean()) {
        const int answer =
            hooks_.askSave(QStringLiteral("%1 has changes that are not saved. Save them as a new genome?")
                               .arg(QFileInfo(path_).fileName()));
        if (answer == Cancel) {
            event->ignore();
            return;
        }
        if (answer == Save) {
            chooseAndSave();
            if (!undo_->isClean()) {
                event->ignore();
                return;
            }
        }
    }
    event->accept();
}

void GenomeEditor::dragEnterEvent(QDragEnterEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".gen"), Qt::CaseInsensitive)) {
            event->acceptProposedAction();
            return;
        }
}

void GenomeEditor::dropEvent(QDropEvent* event)
{
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".gen"), Qt::CaseInsensitive))
            files << url.toLocalFile();
    event->acceptProposedAction();
    // Opened after the drop returns: the drag source waits on it.
    QTimer::singleShot(0, this, [files, hooks = hooks_] {
        for (const QString& file : files) {
            EditorHooks own = hooks;
            own.reportError = {};
            own.confirm = {};
            own.askSave = {};
            own.chooseSaveFile = {};
            GenomeEditor::open(file, own);
        }
    });
}

} // namespace helixplot
