// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitLoadGenome.h"

#include "anchor.h"
#include "appSettings.h"
#include "designFont.h"
#include "mapping/genomeSummary.h"
#include "screenFit.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace helixplot {

std::unique_ptr<TGeneticsFile>& GenomeSlots::slot(GenomeSlot which)
{
    switch (which) {
    case GenomeSlot::Examined:
        return ExaminedGenome;
    case GenomeSlot::Mother:
        return MotherGenome;
    default:
        return FatherGenome;
    }
}

const TGeneticsFile* GenomeSlots::get(GenomeSlot which) const
{
    switch (which) {
    case GenomeSlot::Examined:
        return ExaminedGenome.get();
    case GenomeSlot::Mother:
        return MotherGenome.get();
    default:
        return FatherGenome.get();
    }
}

namespace {

// The edits, buttons and pages stand in slot order; their index is their tag.
GenomeSlot slotOf(int tag)
{
    return static_cast<GenomeSlot>(tag);
}

// File names go to the file layer as the system's own bytes.
std::string pathBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString pathText(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// A page of text with short rays around it: the load buttons' glyph. The
// disabled state is greyed by the style.
QIcon openGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0xC0, 0x80, 0x00));
    p.drawLine(1, 1, 3, 3);
    p.drawLine(0, 7, 2, 7);
    p.drawLine(1, 13, 3, 11);
    p.drawLine(7, 0, 7, 1);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(5, 3, 9, 12);
    p.drawLine(7, 6, 12, 6);
    p.drawLine(7, 8, 12, 8);
    p.drawLine(7, 10, 12, 10);
    p.drawLine(7, 12, 10, 12);
    p.end();
    return QIcon(pixmap);
}

constexpr const char* PageNames[3] = {"Genome", "Mother", "Father"};
constexpr const char* PageCaptions[3] = {"Genome under examination", "Mother Genome", "Father Genome"};
constexpr const char* EditNames[3] = {"GenomeFileName", "MotherFile", "FatherFile"};
constexpr const char* EditTexts[3] = {"GenomeFile", "Mother File", "Father File"};
constexpr const char* ButtonNames[3] = {"LoadGenome", "LoadMother", "LoadFather"};
// What each page's file is, for tooltips and screen readers.
constexpr const char* PageRoles[3] = {"the examined genome", "the mother or first comparator",
                                      "the father or second comparator"};

QString text(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

TLoadGenome::TLoadGenome(ErrorReporter report, FileDialogRunner chooseFile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), report_(std::move(report)),
      chooseFile_(std::move(chooseFile))
{
    if (!report_)
        report_ = errorBoxReporter([this] { return this; });
    setObjectName(QStringLiteral("LoadGenomeDialog"));
    setFont(designFont());
    setWindowTitle(QStringLiteral("Load Genome into Helixplot"));
    setAcceptDrops(true);
    setSizeGripEnabled(true);

    // A few pixels in from the dialog's edge, so that the caption does not
    // touch it.
    auto* group = new QGroupBox(QStringLiteral("Type of Mapping"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(px(4), px(4), px(325), px(58));
    const struct {
        const char* name;
        const char* caption;
        int left, top;
    } radios[4] = {
        {"Breakdown", "Gene Breakdown", 16, 16},
        {"Parents", "Parental Mapping", 16, 32},
        {"Single", "Single Comparative", 184, 16},
        {"Dual", "Dual Comparative", 184, 32},
    };
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(text(radios[i].caption), group);
        radio->setObjectName(text(radios[i].name));
        radio->setGeometry(px(radios[i].left), px(radios[i].top), qMax(px(113), radio->sizeHint().width()), px(17));
        connect(radio, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                guarded(report_, [&] { modeChange(static_cast<MappingChoice>(i)); });
        });
        modes_[i] = radio;
    }

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("GenePages"));
    pages_->setGeometry(0, px(64), px(329), px(193));
    const QIcon glyph = openGlyph();
    for (int tag = 0; tag < 3; ++tag) {
        auto* page = new QWidget;
        page->setObjectName(text(PageNames[tag]));
        auto* label = new QLabel(QStringLiteral("Filename"), page);
        label->setObjectName(QStringLiteral("Label%1").arg(tag + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(px(4), px(8), px(56), px(21));

        auto* edit = new QLineEdit(text(EditTexts[tag]), page);
        edit->setObjectName(text(EditNames[tag]));
        edit->setProperty("tag", tag);
        edit->setGeometry(px(64), px(8), px(217), px(21));
        edit->setAccessibleName(QStringLiteral("File name of %1").arg(text(PageRoles[tag])));
        edit->setAccessibleDescription(
            QStringLiteral("The genome file of %1. A name without a folder is looked for in the working "
                           "folder, then in the game's genetics folder.")
                .arg(text(PageRoles[tag])));
        label->setBuddy(edit);
        connect(edit, &QLineEdit::textChanged, this,
                [this, tag] { guarded(report_, [&] { ChangeInGenomeFile(tag); }); });
        edits_[tag] = edit;

        auto* button = new QToolButton(page);
        button->setObjectName(text(ButtonNames[tag]));
        button->setProperty("tag", tag);
        button->setAutoRaise(true);
        button->setIcon(glyph);
        button->setGeometry(px(288), px(8), px(21), px(21));
        button->setToolTip(QStringLiteral("Choose the genome file of %1").arg(text(PageRoles[tag])));
        button->setAccessibleName(QStringLiteral("Browse for %1").arg(text(PageRoles[tag])));
        button->setAccessibleDescription(button->toolTip());
        connect(button, &QToolButton::clicked, this, [this, tag] { guarded(report_, [&] { LoadButtonClick(tag); }); });
        loadButtons_[tag] = button;

        pages_->addTab(page, text(PageCaptions[tag]));
    }
    connect(pages_, &QTabWidget::currentChanged, this, [this] { guarded(report_, [&] { refreshSummary(); }); });

    // Lies over the lower part of the pages, whichever is active.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(px(8), px(128), px(313), px(121));
    auto* label4 = new QLabel(QStringLiteral("Basic Gene Data:"), panel);
    label4->setObjectName(QStringLiteral("Label4"));
    label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label4->setWordWrap(true);
    label4->setGeometry(px(8), px(4), px(113), px(17));
    geneInfo_ = new QListWidget(panel);
    geneInfo_->setObjectName(QStringLiteral("GeneInfo"));
    geneInfo_->setGeometry(0, px(24), px(313), px(89));
    geneInfo_->setUniformItemSizes(true);
    geneInfo_->setAccessibleName(QStringLiteral("Basic Gene Data"));
    geneInfo_->setAccessibleDescription(QStringLiteral("A summary of the genome of the page shown."));
    label4->setBuddy(geneInfo_);
    // Beside "Basic Gene Data:", where the panel is empty: why Accept is
    // greyed, while it is.
    // A warning sign before it, so that it does not read as gene data.
    acceptHintIcon_ = new QLabel(panel);
    acceptHintIcon_->setObjectName(QStringLiteral("AcceptHintIcon"));
    acceptHintIcon_->setGeometry(px(124), px(4), px(16), px(17));
    acceptHintIcon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(14, 14));
    acceptHintIcon_->hide();
    acceptHintIcon_->setAccessibleName(QStringLiteral("Warning"));
    acceptHint_ = new QLabel(panel);
    acceptHint_->setObjectName(QStringLiteral("AcceptHint"));
    acceptHint_->setGeometry(px(142), px(4), px(171), px(17));
    acceptHint_->setAccessibleName(QStringLiteral("Why the mapping cannot start"));
    group->setAccessibleDescription(QStringLiteral("The kind of mapping, which says how many genome files it needs."));

    accept_ = new QPushButton(QStringLiteral("Accept Mapping Choices"), this);
    accept_->setObjectName(QStringLiteral("Button1"));
    accept_->setGeometry(px(8), px(264), px(129), px(25));
    accept_->setDefault(true);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    cancel_ = new QPushButton(QStringLiteral("Cancel Mapping Choices"), this);
    cancel_->setObjectName(QStringLiteral("Button2"));
    cancel_->setGeometry(px(192), px(264), px(129), px(25));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    accept_->setAccessibleDescription(QStringLiteral("Maps the chosen genomes."));
    cancel_->setAccessibleDescription(QStringLiteral("Closes the dialog without a mapping."));
    pages_->setAccessibleName(QStringLiteral("Genome files"));

    // The design's pixel widths fit its font; a wider font widens the
    // dialog until the page tabs and the buttons' captions fit. That size
    // is the least; the summary list grows with the dialog.
    const int buttonWidth = std::max({px(129), accept_->sizeHint().width(), cancel_->sizeHint().width()});
    const int width = std::max({px(331), pages_->tabBar()->sizeHint().width() + 4, 2 * buttonWidth + px(73)});
    const int extra = width - px(331);
    for (MappingChoice choice : {MappingChoice::Single, MappingChoice::Dual})
        modeButton(choice)->move(modeButton(choice)->x() + extra / 2, modeButton(choice)->y());
    accept_->resize(buttonWidth, accept_->height());
    cancel_->resize(buttonWidth, cancel_->height());
    resize(width, px(295));
    setMinimumSize(width, px(295));
    anchorToParent(group, px(4), px(4), px(2 + 4), -1);
    anchorToParent(pages_, 0, px(64), px(2), px(295 - 257));
    anchorToParent(panel, px(8), px(128), px(10), px(295 - 249));
    anchorToParent(geneInfo_, 0, px(24), 0, px(121 - 113));
    anchorToParent(acceptHint_, px(142), px(4), 0, -1);
    anchorToParent(accept_, px(8), -1, -1, px(295 - 289));
    anchorToParent(cancel_, -1, -1, px(10), px(295 - 289));
    for (int tag = 0; tag < 3; ++tag) {
        // The page is 321 pixels wide at the design size.
        anchorToParent(edits_[tag], px(64), px(8), px(321 - 281), -1);
        anchorToParent(loadButtons_[tag], -1, px(8), px(321 - 309), -1);
    }
    const QByteArray geometry = helixplotSettings().value(QStringLiteral("selection/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

TLoadGenome::~TLoadGenome() = default;

void TLoadGenome::setInitialDirectory(const QString& directory)
{
    initialDirectory_ = directory;
}

void TLoadGenome::presetChoices(const QString& mode, const QStringList& files)
{
    presetMode_ = mode;
    presetFiles_ = files;
    preset_ = true;
}

namespace {

constexpr const char* ModeNames[4] = {"breakdown", "parental", "single", "dual"};

// One name is a breakdown, two a single comparison, three a dual one.
MappingChoice modeForFileCount(qsizetype count)
{
    return count >= 3 ? MappingChoice::Dual : count == 2 ? MappingChoice::Single : MappingChoice::Breakdown;
}

int modeNamed(const QString& name)
{
    for (int i = 0; i < 4; ++i) {
        if (name == QLatin1String(ModeNames[i]))
            return i;
    }
    return -1;
}

} // namespace

void TLoadGenome::fillFromFiles(const QStringList& files, int page)
{
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        const int tag = page >= 0 && page < 3 && !edits_[page]->isReadOnly() ? page : 0;
        edits_[tag]->setText(files[0]);
        return;
    }
    // Two files need a comparator, three two of them.
    if (files.size() >= 3 && !modeButton(MappingChoice::Dual)->isChecked())
        modeButton(MappingChoice::Dual)->setChecked(true);
    else if (files.size() == 2 &&
             (modeButton(MappingChoice::Breakdown)->isChecked() || modeButton(MappingChoice::Parental)->isChecked()))
        modeButton(MappingChoice::Single)->setChecked(true);
    for (int tag = 0; tag < 3 && tag < files.size(); ++tag)
        edits_[tag]->setText(files[tag]);
}

void TLoadGenome::dragEnterEvent(QDragEnterEvent* event)
{
    if (!genomeFilesOf(event->mimeData()).isEmpty() || !populationFolderOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TLoadGenome::dropEvent(QDropEvent* event)
{
    // What the drop asks is done once the drop has returned to the window
    // system: closing the dialog (and so ending its modal loop) or showing
    // an error box from inside the drop leaves the window system's drag
    // handling working on a dialog that is gone.
    const QString folder = populationFolderOf(event->mimeData());
    if (!folder.isEmpty()) {
        // The population window could not be used while this modal dialog
        // is up, so a folder closes it first.
        event->acceptProposedAction();
        QTimer::singleShot(0, this, [this, folder] {
            droppedFolder_ = folder;
            reject();
        });
        return;
    }
    const QStringList files = genomeFilesOf(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    const int page = pages_->currentIndex();
    QTimer::singleShot(0, this, [this, files, page] { guarded(report_, [&] { fillFromFiles(files, page); }); });
}

void TLoadGenome::done(int result)
{
    helixplotSettings().setValue(QStringLiteral("selection/geometry"), saveGeometry());
    if (result == QDialog::Accepted) {
        for (int i = 0; i < 4; ++i) {
            if (modes_[i]->isChecked())
                helixplotSettings().setValue(QStringLiteral("selection/lastMode"), QString::fromLatin1(ModeNames[i]));
        }
    }
    QDialog::done(result);
}

MappingMode TLoadGenome::mappingMode() const
{
    for (MappingChoice choice : {MappingChoice::Breakdown, MappingChoice::Parental, MappingChoice::Dual})
        if (modeButton(choice)->isChecked())
            return mappingModeOf(choice);
    return MappingMode::Single;
}

MappingInput TLoadGenome::mappingInput() const
{
    return {mappingMode(), slots_.get(GenomeSlot::Examined), slots_.get(GenomeSlot::Mother),
            slots_.get(GenomeSlot::Father)};
}

QString TLoadGenome::genomeFileName(GenomeSlot slot) const
{
    return edits_.at(static_cast<std::size_t>(slot))->text();
}

void TLoadGenome::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    fitToScreen(this);
    resetChoices();
    // The first showing of a session takes up the last session's mode; the
    // command line or dropped files may choose again.
    // Names given (on the command line, or dropped on the program's icon)
    // choose the mode by their count; the remembered mode serves only a
    // start without any.
    const bool named = preset_ && (!presetMode_.isEmpty() || !presetFiles_.isEmpty());
    if (!shownBefore_) {
        shownBefore_ = true;
        const int last = modeNamed(helixplotSettings().value(QStringLiteral("selection/lastMode")).toString());
        if (last > 0 && !named)
            modes_[last]->setChecked(true);
    }
    if (preset_) {
        preset_ = false;
        fillPreset(presetMode_, presetFiles_);
    }
    // The user's first move is naming the genome to examine; the keyboard
    // comes here with or without a window manager.
    edits_[0]->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void TLoadGenome::resetChoices()
{
    // Every showing starts in breakdown mode with no examined genome.
    modeButton(MappingChoice::Breakdown)->setChecked(true);
    edits_[0]->clear();
}

void TLoadGenome::fillPreset(const QString& presetMode, const QStringList& files)
{
    int mode = modeNamed(presetMode);
    if (mode < 0 && !files.isEmpty())
        mode = int(modeForFileCount(files.size()));
    if (mode >= 0)
        modes_[mode]->setChecked(true);
    guarded(report_, [&] {
        for (int tag = 0; tag < 3 && tag < files.size(); ++tag)
            if (tag == 0 || mode != int(MappingChoice::Parental))
                edits_[tag]->setText(files[tag]);
    });
}

bool TLoadGenome::applyChoices(const QString& mode, const QStringList& files)
{
    resetChoices();
    fillPreset(mode, files);
    return accept_->isEnabled();
}

void TLoadGenome::modeChange(MappingChoice mode)
{
    // Emptying and refilling the examined name reloads it and works out the
    // accept state (and the parents' names) for the new mode.
    const QString examined = edits_[0]->text();
    edits_[0]->clear();
    adjustPages(mode);
    edits_[0]->setText(examined);
}

void TLoadGenome::setEditable(QLineEdit* edit, bool editable)
{
    edit->setReadOnly(!editable);
    QPalette palette = edit->palette();
    const QPalette standard = QApplication::palette(edit);
    palette.setColor(QPalette::Base, standard.color(editable ? QPalette::Base : QPalette::Button));
    edit->setPalette(palette);
}

void TLoadGenome::adjustPages(MappingChoice mode)
{
    pages_->setTabVisible(0, true);
    switch (mode) {
    case MappingChoice::Breakdown:
        pages_->setTabVisible(1, false);
        pages_->setTabVisible(2, false);
        break;
    case MappingChoice::Parental:
        pages_->setTabVisible(1, true);
        pages_->setTabVisible(2, true);
        setEditable(edits_[1], false);
        setEditable(edits_[2], false);
        loadButtons_[1]->setEnabled(false);
        loadButtons_[2]->setEnabled(false);
        break;
    case MappingChoice::Single:
        pages_->setTabVisible(1, true);
        pages_->setTabVisible(2, false);
        setEditable(edits_[1], true);
        loadButtons_[1]->setEnabled(true);
        loadButtons_[2]->setEnabled(false);
        break;
    case MappingChoice::Dual:
        pages_->setTabVisible(1, true);
        pages_->setTabVisible(2, true);
        setEditable(edits_[1], true);
        setEditable(edits_[2], true);
        loadButtons_[1]->setEnabled(true);
        loadButtons_[2]->setEnabled(true);
        break;
    }
    pages_->setCurrentIndex(0);
}

QString TLoadGenome::chooseGenomeFile()
{
    // Made anew for each use: while a file dialog exists it reads and
    // watches its folder in the background (file types and icons included),
    // and in a busy or large folder that work would run alongside every
    // mapping run.
    if (openGenFolder_.isEmpty()) {
        const QString last = helixplotSettings().value(QStringLiteral("selection/lastFolder")).toString();
        openGenFolder_ = !last.isEmpty() && QDir(last).exists() ? last : initialDirectory_;
    }
    // Given the folder at once, it reads no other. Qt keeps the dialog's
    // history, side bar and view from one to the next in its own settings.
    QFileDialog openGen(this, QString(), openGenFolder_);
    openGen.setObjectName(QStringLiteral("OpenGEN"));
    openGen.setNameFilter(QStringLiteral("Digital DNA files (*.gen)"));
    openGen.setDefaultSuffix(QStringLiteral("gen"));
    openGen.setFileMode(QFileDialog::ExistingFile);
    openGen.setAcceptMode(QFileDialog::AcceptOpen);
    if (openGenSize_.isValid())
        openGen.resize(openGenSize_);
    const QString path = chooseFile_
                             ? chooseFile_(openGen)
                             : (openGen.exec() == QDialog::Accepted ? openGen.selectedFiles().value(0) : QString());
    openGenFolder_ = openGen.directory().absolutePath();
    openGenSize_ = openGen.size();
    return path;
}

void TLoadGenome::LoadButtonClick(int tag)
{
    // Qt's file dialog answers with '/' everywhere; the edit shows the path
    // as the system writes it.
    const QString path = QDir::toNativeSeparators(chooseGenomeFile());
    if (path.isEmpty())
        return;
    helixplotSettings().setValue(QStringLiteral("selection/lastFolder"), QFileInfo(path).absolutePath());
    // Choosing the same file again reads it again: it may have changed.
    if (edits_[tag]->text() == path)
        ChangeInGenomeFile(tag);
    else
        edits_[tag]->setText(path);
}

QString TLoadGenome::resolvedPath(int tag) const
{
    const QString name = edits_[tag]->text();
    if (name.isEmpty() || fileExists(pathBytes(name)) || !QFileInfo(name).isRelative() || initialDirectory_.isEmpty())
        return name;
    // A bare name is the game's: try it in the genetics folder too.
    const QString inGenetics = QDir(initialDirectory_).filePath(name);
    return fileExists(pathBytes(inGenetics)) ? inGenetics : name;
}

QString TLoadGenome::roleOf(int tag) const
{
    static const char* const roles[4][3] = {
        {"Examined genome's", "Mother's", "Father's"},                      // breakdown (comparators unused)
        {"Examined genome's", "Mother's", "Father's"},                      // parental
        {"Examined genome's", "Comparator's", "Father's"},                  // single
        {"Examined genome's", "First comparator's", "Second comparator's"}, // dual
    };
    for (int mode = 0; mode < 4; ++mode)
        if (modes_[mode]->isChecked())
            return text(roles[mode][tag]);
    return text(roles[0][tag]);
}

QString TLoadGenome::missingFileText(int tag) const
{
    const QString name = edits_[tag]->text();
    const QString role = roleOf(tag);
    if (name.isEmpty())
        return QStringLiteral("%1 file not named").arg(role);
    const QString path = resolvedPath(tag);
    if (fileExists(pathBytes(path)))
        return QStringLiteral("%1 file %2 could not be read").arg(role, QFileInfo(path).fileName());
    const QFileInfo file(name);
    QString folder;
    if (file.isRelative() && !name.contains(u'/') && !name.contains(QDir::separator()))
        folder = initialDirectory_.isEmpty()
                     ? QStringLiteral("the working folder")
                     : QStringLiteral("the working folder or %1")
                           .arg(QDir::toNativeSeparators(QDir::cleanPath(initialDirectory_) + u'/'));
    else
        folder = QDir::toNativeSeparators(file.path() + u'/');
    return QStringLiteral("%1 file %2 not found in %3").arg(role, file.fileName(), folder);
}

void TLoadGenome::ChangeInGenomeFile(int tag)
{
    auto& slot = slots_.slot(slotOf(tag));
    const QString resolved = resolvedPath(tag);
    const std::string path = pathBytes(resolved);
    slot.reset();
    if (!fileExists(path)) {
        accept_->setEnabled(false);
        failedTag_ = tag;
        refreshSummary();
        showAcceptState();
        return;
    }
    try {
        slot = std::make_unique<TGeneticsFile>(path);
    } catch (const std::exception& error) {
        accept_->setEnabled(false);
        failedTag_ = tag;
        refreshSummary();
        showAcceptState();
        QString details = QStringLiteral("%1 file: %2")
                              .arg(roleOf(tag), QDir::toNativeSeparators(QFileInfo(resolved).absoluteFilePath()));
        if (tag > 0 && modeButton(MappingChoice::Parental)->isChecked())
            details += QStringLiteral("\nNamed by the genus gene of %1").arg(QFileInfo(edits_[0]->text()).fileName());
        // Running out of memory is no fault of the file's form: say which
        // file it was.
        const auto* io = dynamic_cast<const InOutError*>(&error);
        if (io && io->failure() == InOutError::Failure::OutOfMemory)
            reportError(report_, FileError(path, io->what()), details);
        else
            reportError(report_, error, details);
        return;
    }
    if (pages_->currentIndex() == tag)
        refreshSummary();
    if (tag == 0 && modeButton(MappingChoice::Parental)->isChecked())
        deriveParentFiles();
    updateAccept();
}

void TLoadGenome::deriveParentFiles()
{
    const std::string examined = pathBytes(resolvedPath(0));
    const TGeneticsFile& genome = *slots_.ExaminedGenome;
    // Without a first loose gene there are no parents' names to take: the
    // parents' names are left empty.
    const bool named = !genome.GeneList().empty();
    edits_[1]->setText(named ? pathText(parentFilePath(examined, genome, false)) : QString());
    edits_[2]->setText(named ? pathText(parentFilePath(examined, genome, true)) : QString());
}

bool TLoadGenome::modeNeeds(int tag) const
{
    return modeReads(mappingMode(), slotOf(tag));
}

void TLoadGenome::updateAccept()
{
    // The files must exist and, since a file that exists may still have
    // failed to load, their genomes must be loaded too: a run never starts
    // with an empty slot its mode reads.
    bool ready = true;
    for (int tag = 0; tag < 3; ++tag) {
        if (modeNeeds(tag))
            ready = ready && fileExists(pathBytes(resolvedPath(tag))) && slots_.get(slotOf(tag)) != nullptr;
    }
    accept_->setEnabled(ready);
    failedTag_ = -1;
    showAcceptState();
}

QString TLoadGenome::acceptHint() const
{
    return acceptHint_->toolTip();
}

void TLoadGenome::showAcceptState()
{
    if (!acceptHint_)
        return;
    QStringList reasons;
    // The line beside "Basic Gene Data:" has room for little: the files'
    // names by what is wrong with them; the whole reasons in the tooltip.
    QStringList unnamed, unreadable, notFound;
    std::array<bool, 3> missing{};
    if (!accept_->isEnabled()) {
        for (int tag = 0; tag < 3; ++tag) {
            missing[tag] = (modeNeeds(tag) && slots_.get(slotOf(tag)) == nullptr) || tag == failedTag_;
            if (!missing[tag])
                continue;
            reasons << missingFileText(tag);
            const QString name = edits_[tag]->text();
            if (name.isEmpty())
                unnamed << roleOf(tag) + QStringLiteral(" file");
            else if (fileExists(pathBytes(resolvedPath(tag))))
                unreadable << QFileInfo(resolvedPath(tag)).fileName();
            else
                notFound << QFileInfo(name).fileName();
        }
    }
    QStringList brief;
    if (!notFound.isEmpty())
        brief << notFound.join(QStringLiteral(", ")) + QStringLiteral(" not found");
    if (!unreadable.isEmpty())
        brief << unreadable.join(QStringLiteral(", ")) + QStringLiteral(" could not be read");
    if (!unnamed.isEmpty())
        brief << unnamed.join(QStringLiteral(", ")) + QStringLiteral(" not named");
    const QString hint = reasons.join(QStringLiteral("; "));
    acceptHint_->setToolTip(hint);
    acceptHint_->setText(
        acceptHint_->fontMetrics().elidedText(brief.join(QStringLiteral("; ")), Qt::ElideRight, acceptHint_->width()));
    accept_->setToolTip(hint);
    accept_->setAccessibleDescription(hint.isEmpty() ? QStringLiteral("Maps the chosen genomes.") : hint);
    acceptHintIcon_->setVisible(!hint.isEmpty());
    // No icon on the tabs: at the design's width it would push the third
    // tab out of sight. The tab's tooltip says what its file lacks.
    for (int tag = 0; tag < 3; ++tag)
        pages_->setTabToolTip(tag, missing[tag] ? missingFileText(tag) : QString());
}

void TLoadGenome::refreshSummary()
{
    geneInfo_->clear();
    const int page = pages_->currentIndex();
    for (const std::string& line : genomeSummary(page >= 0 && page < 3 ? slots_.get(slotOf(page)) : nullptr))
        geneInfo_->addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

} // namespace helixplot
