// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusReport.h"

#include "captions.h"
#include "censusTables.h"
#include "decoder/unitGeneDecoder.h"
#include "genetics/textEncoding.h"
#include "mapping/censusChanges.h"
#include "mapping/geneChange.h"
#include "mapping/statistics.h"
#include "pedigreeSvg.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <span>

namespace helixplot::cli {

namespace {

// The page on its way to the sink, in pieces of about Piece bytes.
class Page {
public:
    explicit Page(const PageSink& write) : write_(write) {}
    ~Page() = default;
    Page& operator+=(std::string_view text)
    {
        buffer_ += text;
        if (buffer_.size() >= Piece)
            flush();
        return *this;
    }
    void flush()
    {
        if (!buffer_.empty())
            write_(buffer_);
        buffer_.clear();
    }
    const PageSink& sink()
    {
        flush();
        return write_;
    }

private:
    static constexpr std::size_t Piece = 64 * 1024;
    const PageSink& write_;
    std::string buffer_;
};

constexpr const char* Style = R"(body{font-family:sans-serif;margin:1.5em;color:#222}
h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.6em}
table{border-collapse:collapse;font-size:.85em}
th,td{border:1px solid #bbb;padding:2px 6px}th{background:#e8eef4;cursor:pointer;user-select:none}
td.n{text-align:right}tr.bad td{color:#a00}
.scroll{overflow:auto;max-height:40em;border:1px solid #ccc}
#census,#census thead,#census tbody{display:block}#census td,#census th{overflow:hidden;text-overflow:ellipsis;white-space:nowrap;border-width:0 1px 1px 0}
#census tr{display:grid;grid-template-columns:14em 7em 6em 6em 5em 5em 7em 6em 6em minmax(14em,auto)}
#census tbody{content-visibility:auto;contain-intrinsic-size:auto 150em}
.chart text{font-size:11px}.chart .bar{fill:#5580aa}.chart .dot{fill:#5580aa;fill-opacity:.6}
.chart .axis{stroke:#444}.chart .range{stroke:#c05030;stroke-width:2}
.charts{display:flex;flex-wrap:wrap;gap:2em}
.change h3{font-size:1em;margin:1.2em 0 .3em}.change pre{margin:0;padding:4px 6px;background:#f6f6f6;font-size:.85em}
.change .removed{color:#a00}.change .added{color:#070}
)";

// Sorts the table by a clicked header, numbers as numbers; again reverses.
constexpr const char* Script = R"(document.querySelectorAll('#census th').forEach(function (th, col) {
  th.addEventListener('click', function () {
    if (window.expandLazy) window.expandLazy(th.closest('table'));
    var bodies = th.closest('table').tBodies, rows = [];
    for (var b = 0; b < bodies.length; ++b) rows = rows.concat(Array.prototype.slice.call(bodies[b].rows));
    var dir = th.dataset.dir === 'asc' ? -1 : 1;
    th.dataset.dir = dir === 1 ? 'asc' : 'desc';
    var key = function (row) {
      var t = row.cells[col] ? row.cells[col].textContent : '';
      if (th.dataset.type !== 'number') return t;
      var n = parseFloat(t);
      return isNaN(n) ? -1 : n;
    };
    rows.sort(function (a, b) {
      var x = key(a), y = key(b);
      return (typeof x === 'number' ? x - y : x.localeCompare(y)) * dir;
    });
    var per = bodies[0].rows.length;
    rows.forEach(function (row, i) { bodies[Math.min(Math.floor(i / per), bodies.length - 1)].appendChild(row); });
  });
});
)";

// A large page's big parts (the tree's bands, the table's bodies, the
// changes' headings) wait as the text of a <script type="text/plain"
// class="lazy"> in their place: each is drawn when it comes near the view,
// and all of a part before it is searched, sorted or a link into it is
// followed. A holder's estimated height (data-estimate) goes once it is drawn.
constexpr const char* LazyScript = R"js((function () {
  var waiting = document.querySelectorAll('script.lazy');
  if (!waiting.length) return;
  var near = null;
  function expand(s) {
    var holder = s.parentNode;
    if (!holder) return;
    var text = s.textContent;
    holder.removeChild(s);
    holder.insertAdjacentHTML('beforeend', text);
    if (holder.dataset.estimate) holder.style.height = '';
    if (near) near.unobserve(holder);
    holder.dispatchEvent(new CustomEvent('lazy-drawn', {bubbles: true}));
  }
  window.expandLazy = function (within) {
    Array.prototype.slice.call((within || document).querySelectorAll('script.lazy')).forEach(expand);
  };
  near = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      if (!e.isIntersecting) return;
      var s = e.target.querySelector(':scope > script.lazy');
      if (s) expand(s);
    });
  }, {rootMargin: '800px'});
  waiting.forEach(function (s) { near.observe(s.parentNode); });
  function reveal() {
    var id = decodeURIComponent(location.hash.slice(1));
    if (!id || document.getElementById(id)) return;
    window.expandLazy(document.getElementById(id.indexOf('row-') === 0 ? 'census' : id.indexOf('changes-') === 0 ? 'changes-list' : 'pedigree') || document);
    var target = document.getElementById(id);
    if (target) target.scrollIntoView();
  }
  window.addEventListener('hashchange', reveal);
  reveal();
})();
)js";

// Puts a changes section's text in place when it is visited or comes near
// the view.
constexpr const char* ChangesScript = R"js((function () {
  var data = document.getElementById('changes-data');
  if (!data) return;
  // A large page's text comes in blocks, each from its first row (data-from)
  // on; a block is read when one of its sections is first wanted.
  var blocks = [data].concat(Array.prototype.slice.call(document.querySelectorAll('script[data-from]')));
  var texts = {}, read = [];
  function fill(id) {
    var target = document.getElementById(id);
    if (!target || target.dataset.filled) return target;
    var row = parseInt(id.slice('changes-'.length), 10), b = 0;
    while (b + 1 < blocks.length && Number(blocks[b + 1].dataset.from) <= row) ++b;
    if (!read[b]) {
      read[b] = true;
      blocks[b].textContent.split('\f').forEach(function (html) {
        var m = /^<div class="change" data-id="([^"]*)"/.exec(html);
        if (m) texts[m[1]] = html;
      });
    }
    if (texts[id] === undefined) return target;
    var holder = document.createElement('div');
    holder.innerHTML = texts[id];
    target.innerHTML = holder.firstElementChild.innerHTML;
    target.dataset.filled = '1';
    return target;
  }
  function visit() {
    if (location.hash.indexOf('#changes-') !== 0) return;
    var target = fill(decodeURIComponent(location.hash.slice(1)));
    if (target) target.scrollIntoView();
  }
  window.addEventListener('hashchange', visit);
  visit();
  var near = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      if (!e.isIntersecting) return;
      fill(e.target.id);
      near.unobserve(e.target);
    });
  }, {rootMargin: '600px'});
  document.querySelectorAll('div.change').forEach(function (d) { near.observe(d); });
  document.addEventListener('lazy-drawn', function (e) {
    e.target.querySelectorAll('div.change').forEach(function (d) { near.observe(d); });
  });
})();
)js";

// Texts from genome files and names: a control character, a line break
// included, is shown as \xNN, so that no name breaks a line of the page.
std::string genomeText(std::string_view text)
{
    return htmlEscaped(utf8Text(escapedForMessage(text)));
}

std::string fileText(const std::string& name)
{
    return htmlEscaped(utf8Path(escapedForMessage(name)));
}

// A message may carry file names.
std::string messageText(const std::string& message)
{
    return htmlEscaped(utf8Text(message));
}

std::string orDash(const std::optional<std::string>& text)
{
    return text && !text->empty() ? genomeText(*text) : "&#8211;";
}

// Where a creature with both parents in the census has its changes listed.
std::string changesLink(std::size_t row, const std::string& content)
{
    return "<a href=\"#changes-" + std::to_string(row) + "\">" + content + "</a>";
}

// The table's rows come in bodies of this many, each of which the browser
// lays out only when it comes into view.
constexpr std::size_t RowsPerBody = 100;

// Where a page's big parts wait for its script: from this many genomes up,
// drawing them all at once keeps a browser busy for seconds.
constexpr std::size_t LazyFrom = 1000;

// What a lazy part's holder says of its height until it is drawn.
std::string estimate(double em)
{
    return " data-estimate=\"1\" style=\"height:" + svgNumber(em) + "em\"";
}

constexpr const char* LazyOpening = "<script type=\"text/plain\" class=\"lazy\">";

void table(Page& out, const Census& census, bool lazy)
{
    struct Column {
        const char* title;
        bool number;
    };
    static constexpr Column Columns[] = {
        {"File", false},  {"Genus", false},     {"Mother", false},  {"Father", false}, {"Genes", true},
        {"Organs", true}, {"Generation", true}, {"Children", true}, {"Mutated", true}, {"Error", false},
    };
    out += "<div class=\"scroll\"><table id=\"census\"><thead><tr>";
    for (const Column& c : Columns)
        out += std::string("<th") + (c.number ? " data-type=\"number\"" : "") + ">" + c.title + "</th>";
    out += "</tr></thead>";
    const auto openBody = [&](std::size_t first) {
        if (!lazy) {
            out += "<tbody>\n";
            return;
        }
        const std::size_t rows = std::min(RowsPerBody, census.rows.size() - first);
        out += "<tbody" + estimate(1.5 * double(rows)) + ">" + LazyOpening + "\n";
    };
    const char* closeBody = lazy ? "</script></tbody>" : "</tbody>";
    openBody(0);
    for (std::size_t i = 0; i < census.rows.size(); ++i) {
        const CensusRow& row = census.rows[i];
        if (i > 0 && i % RowsPerBody == 0) {
            out += closeBody;
            openBody(i);
        }
        out += "<tr id=\"row-" + std::to_string(i) + "\"" + (row.loaded() ? "" : " class=\"bad\"") + "><td>" +
               fileText(row.file) + "</td>";
        if (!row.loaded()) {
            out += "<td></td><td></td><td></td><td class=\"n\"></td><td class=\"n\"></td>"
                   "<td class=\"n\"></td><td class=\"n\"></td><td class=\"n\"></td><td>" +
                   messageText(row.error) + "</td></tr>\n";
            continue;
        }
        const auto mutated = row.mutatedTotal();
        out += "<td>" + orDash(row.genus) + "</td><td>" + orDash(row.mother) + "</td><td>" + orDash(row.father) +
               "</td><td class=\"n\">" + std::to_string(row.genes) + "</td><td class=\"n\">" +
               std::to_string(row.organs) + "</td><td class=\"n\">" + std::to_string(row.generation) +
               "</td><td class=\"n\">" + std::to_string(row.children) + "</td><td class=\"n\">" +
               (mutated ? changesLink(i, std::to_string(*mutated)) : std::string("&#8211;")) + "</td><td></td></tr>\n";
    }
    out += closeBody;
    out += "</table></div>\n";
}

// The tree's labels: each row's creature name and file name.
void familyTree(Page& out, const Census& census, bool lazy)
{
    std::vector<std::string> names, files;
    for (const CensusRow& row : census.rows) {
        names.push_back(fileText(creatureName(row.file)));
        files.push_back(fileText(row.file));
    }
    writePedigreeSection(out.sink(), census, names, files, lazy);
}

std::string svgOpen(int width, int height)
{
    return "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\">\n";
}

std::string text(double x, double y, const std::string& content, const char* anchor = "middle")
{
    return "<text x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" text-anchor=\"" + anchor + "\">" + content +
           "</text>";
}

std::string axes(int left, int top, int right, int bottom)
{
    return "<line class=\"axis\" x1=\"" + std::to_string(left) + "\" y1=\"" + std::to_string(top) + "\" x2=\"" +
           std::to_string(left) + "\" y2=\"" + std::to_string(bottom) + "\"/><line class=\"axis\" x1=\"" +
           std::to_string(left) + "\" y1=\"" + std::to_string(bottom) + "\" x2=\"" + std::to_string(right) +
           "\" y2=\"" + std::to_string(bottom) + "\"/>\n";
}

std::string genomesPerGeneration(const Census& census)
{
    std::map<int, std::size_t> counts;
    for (const CensusRow& row : census.rows)
        if (row.loaded())
            ++counts[row.generation];
    if (counts.empty())
        return {};
    constexpr int Width = 420, Height = 240, Left = 44, Bottom = 206, Top = 14;
    const int generations = counts.rbegin()->first + 1;
    std::size_t most = 0;
    for (const auto& [g, n] : counts)
        most = std::max(most, n);
    const double slot = double(Width - Left - 10) / generations;
    std::string out = svgOpen(Width, Height) + axes(Left, Top, Width - 10, Bottom);
    for (const auto& [generation, n] : counts) {
        const double h = double(Bottom - Top) * double(n) / double(most);
        const double x = Left + slot * generation + slot * 0.15;
        out += "<rect class=\"bar\" x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(Bottom - h) + "\" width=\"" +
               svgNumber(slot * 0.7) + "\" height=\"" + svgNumber(h) + "\"><title>generation " +
               std::to_string(generation) + ": " + std::to_string(n) + " genomes</title></rect>" +
               text(x + slot * 0.35, Bottom - h - 3, std::to_string(n)) +
               text(x + slot * 0.35, Bottom + 14, std::to_string(generation)) + "\n";
    }
    out += text((Left + Width) / 2.0, Height - 4, "generation") + "\n</svg>\n";
    return out;
}

// One dot per (generation, mutated genes), its area by the creatures there.
std::string mutationsByGeneration(const Census& census)
{
    std::map<std::pair<int, std::size_t>, std::size_t> dots;
    int lastGeneration = 0;
    std::size_t most = 0;
    for (const CensusRow& row : census.rows) {
        if (const auto mutated = row.mutatedTotal()) {
            ++dots[{row.generation, *mutated}];
            lastGeneration = std::max(lastGeneration, row.generation);
            most = std::max(most, *mutated);
        }
    }
    if (dots.empty())
        return "<p>No creature has both parents in the folder.</p>\n";
    std::size_t biggest = 0;
    for (const auto& [at, n] : dots)
        biggest = std::max(biggest, n);
    constexpr int Width = 420, Height = 240, Left = 44, Bottom = 206, Top = 14;
    const double slot = double(Width - Left - 10) / (lastGeneration + 1);
    const double step = double(Bottom - Top - 8) / double(std::max<std::size_t>(most, 1));
    std::string out = svgOpen(Width, Height) + axes(Left, Top, Width - 10, Bottom);
    for (int g = 0; g <= lastGeneration; ++g)
        out += text(Left + slot * (g + 0.5), Bottom + 14, std::to_string(g));
    // About five labelled counts up the axis.
    const std::size_t tick = std::max<std::size_t>(1, (most + 4) / 5);
    for (std::size_t count = 0; count <= most; count += tick)
        out += text(Left - 6, Bottom - 4 - step * double(count) + 4, std::to_string(count), "end");
    out += "\n";
    for (const auto& [at, n] : dots) {
        const double r = 2 + 6 * std::sqrt(double(n) / double(biggest));
        out += "<circle class=\"dot\" cx=\"" + svgNumber(Left + slot * (at.first + 0.5)) + "\" cy=\"" +
               svgNumber(Bottom - 4 - step * double(at.second)) + "\" r=\"" + svgNumber(r) + "\"><title>generation " +
               std::to_string(at.first) + ": " + std::to_string(n) + " with " + std::to_string(at.second) +
               " mutated genes</title></circle>\n";
    }
    out += text((Left + Width) / 2.0, Height - 4, "generation (mutated genes upward)") + "\n</svg>\n";
    return out;
}

// Per gene family: the mean count per genome as a bar, lowest to highest as
// a line.
std::string geneCountsPerFamily(const Census& census)
{
    struct Range {
        std::size_t sum = 0, low = SIZE_MAX, high = 0;
    };
    std::vector<Range> ranges(StatisticsKindRowCount);
    std::size_t genomes = 0;
    for (const CensusRow& row : census.rows) {
        if (!row.loaded())
            continue;
        ++genomes;
        for (std::size_t i = 0; i < StatisticsKindRowCount; ++i) {
            ranges[i].sum += row.totals[i];
            ranges[i].low = std::min(ranges[i].low, row.totals[i]);
            ranges[i].high = std::max(ranges[i].high, row.totals[i]);
        }
    }
    if (genomes == 0)
        return {};
    std::size_t most = 1;
    for (const Range& r : ranges)
        most = std::max(most, r.high);
    constexpr int Width = 520, Left = 150, RowHeight = 18, Top = 8;
    const int height = Top + RowHeight * static_cast<int>(StatisticsKindRowCount) + 10;
    const double scale = double(Width - Left - 60) / double(most);
    std::string out = svgOpen(Width, height);
    for (std::size_t i = 0; i < StatisticsKindRowCount; ++i) {
        const Range& r = ranges[i];
        const double mean = double(r.sum) / double(genomes);
        const double y = Top + RowHeight * double(i);
        out += text(Left - 6, y + 12, std::string(StatisticsCaptions[i]), "end") + "<rect class=\"bar\" x=\"" +
               svgNumber(Left) + "\" y=\"" + svgNumber(y + 3) + "\" width=\"" + svgNumber(mean * scale) +
               "\" height=\"" + svgNumber(RowHeight - 6) + "\"><title>" + std::string(StatisticsCaptions[i]) +
               ": mean " + svgNumber(mean) + ", " + std::to_string(r.low) + " to " + std::to_string(r.high) +
               "</title></rect><line class=\"range\" x1=\"" + svgNumber(Left + double(r.low) * scale) + "\" y1=\"" +
               svgNumber(y + 9) + "\" x2=\"" + svgNumber(Left + double(r.high) * scale) + "\" y2=\"" +
               svgNumber(y + 9) + "\"/>" + text(Left + double(r.high) * scale + 4, y + 12, svgNumber(mean), "start") +
               "\n";
    }
    return out + "</svg>\n";
}

// The keys whose genes changed most often, one bar each; hotspots come most
// events first.
std::string mutationHotspots(const std::vector<GeneHotspot>& hotspots)
{
    if (hotspots.empty())
        return "<p>No gene has changed in a creature with both parents in the folder.</p>\n";
    constexpr std::size_t Shown = 16;
    constexpr int Width = 520, Left = 150, RowHeight = 18, Top = 8;
    const std::size_t shown = std::min(Shown, hotspots.size());
    const int height = Top + RowHeight * static_cast<int>(shown) + 10;
    const double scale = double(Width - Left - 60) / double(hotspots.front().events);
    std::string out = svgOpen(Width, height);
    for (std::size_t i = 0; i < shown; ++i) {
        const GeneHotspot& gene = hotspots[i];
        const std::string name = geneKeyCaption(gene.geneKey);
        const double y = Top + RowHeight * double(i);
        const double w = double(gene.events) * scale;
        out += text(Left - 6, y + 12, name, "end") + "<rect class=\"bar\" x=\"" + svgNumber(Left) + "\" y=\"" +
               svgNumber(y + 3) + "\" width=\"" + svgNumber(w) + "\" height=\"" + svgNumber(RowHeight - 6) +
               "\"><title>" + name + ": " + std::to_string(gene.events) + " events, " + std::to_string(gene.variants) +
               " variants, " + std::to_string(gene.carriers) + " carriers</title></rect>" +
               text(Left + w + 4, y + 12, std::to_string(gene.events), "start") + "\n";
    }
    return out + "</svg>\n";
}

// A creature's listed changes are capped so that the page stays a few
// kilobytes a creature however much its genes changed.
constexpr std::size_t ChangesPerCreature = 8;
constexpr std::size_t LinesPerParent = 8;

std::string more(std::size_t count, const char* one, const char* many)
{
    return "... and " + std::to_string(count) + ' ' + (count == 1 ? one : many) + '\n';
}

// A decoded line: a line break in a text from the genome would end the line
// early in the page.
std::string lineText(std::string_view line)
{
    std::string text(line);
    std::replace(text.begin(), text.end(), '\n', '\x1A'); // shown as U+FFFD
    return htmlEscaped(utf8Text(text));
}

// One change as the diff command prints it, with the changed lines only:
// "@@" and the gene, per parent "---", its file and what differs, the
// removed and added lines and the differing bytes.
std::string changeHtml(const GeneChange& change, const std::array<std::string, 2>& parentFiles)
{
    const std::optional<GeneKind> kind = change.examined.kind();
    std::string out = "@@ " + (kind ? std::string(infoOf(*kind).comparisonFamily) + ": " : std::string()) +
                      lineText(geneHeaderLine(change.examined)) + "\n";
    if (change.comparators.empty())
        out += "no parent holds this gene\n";
    const std::vector<GeneDiff> diffs = diffChange(change);
    for (std::size_t c = 0; c < diffs.size(); ++c) {
        const GeneDiff& diff = diffs[c];
        out += "--- " + fileText(parentFiles.at(change.comparators[c].comparator)) + ": " +
               htmlEscaped(changeSummary(diff)) + "\n";
        std::size_t shown = 0;
        for (const DiffLine& line : diff.lines) {
            if (line.change == LineChange::Same || shown++ >= LinesPerParent)
                continue;
            if (line.change == LineChange::Removed)
                out += "<span class=\"removed\">-" + lineText(diff.comparatorLines[line.comparatorLine]) + "</span>\n";
            else
                out += "<span class=\"added\">+" + lineText(diff.examinedLines[line.examinedLine]) + "</span>\n";
        }
        if (shown > LinesPerParent)
            out += more(shown - LinesPerParent, "more line", "more lines");
        for (std::size_t b = 0; b < std::min(diff.bytes.size(), LinesPerParent); ++b)
            out += "byte " + std::to_string(diff.bytes[b].offset) + ": " +
                   std::to_string(diff.bytes[b].comparatorValue) + " -> " +
                   std::to_string(diff.bytes[b].examinedValue) + "\n";
        if (diff.bytes.size() > LinesPerParent)
            out += more(diff.bytes.size() - LinesPerParent, "more byte", "more bytes");
    }
    return out;
}

// A carriers line names this many genomes at most, so that a version that
// spread through thousands of genomes keeps its section small.
constexpr std::size_t CarriersNamed = 20;

// Who carries a creature's new version, each name linked to its row; names
// are the rows' file names, escaped.
std::string carriersHtml(std::size_t row, const std::vector<std::size_t>& carriers,
                         const std::vector<std::string>& names)
{
    if (carriers.size() == 1 && carriers.front() == row)
        return "carried by only this creature\n";
    std::string out = "carried by " + std::to_string(carriers.size()) + (carriers.size() == 1 ? " genome" : " genomes");
    for (std::size_t c = 0; c < std::min(carriers.size(), CarriersNamed); ++c)
        out += (c == 0 ? ": <a href=\"#row-" : ", <a href=\"#row-") + std::to_string(carriers[c]) + "\">" +
               names[carriers[c]] + "</a>";
    if (carriers.size() > CarriersNamed)
        out += " and " + std::to_string(carriers.size() - CarriersNamed) + " more";
    return out + "\n";
}

// The event among a creature's that brought the change's gene.
const MutationEvent* eventOf(const GeneChange& change, std::span<const MutationEvent> creatureEvents)
{
    const std::optional<GenePrint> print = genePrint(change.examined);
    if (!print)
        return nullptr;
    for (const MutationEvent& event : creatureEvents)
        if (event.gene.geneKey() == print->geneKey() && event.gene.body == print->body)
            return &event;
    return nullptr;
}

// One creature's changes section, <div class="change"> and all: its mutated
// genes' changes against its parents, read again from the folder, each
// event's with its carriers.
std::string changeSection(const Census& census, const std::string& folder, const CensusFolder* open,
                          const CensusChanges* taken, std::size_t i, std::span<const MutationEvent> creatureEvents,
                          const std::vector<std::string>& names)
{
    const CensusRow& row = census.rows[i];
    const std::array<std::string, 2> parentFiles = {census.rows[*row.motherRow].file, census.rows[*row.fatherRow].file};
    std::string out = "<div class=\"change\" id=\"changes-" + std::to_string(i) + "\"><h3>" + fileText(row.file) +
                      "</h3>\n<p>Mother <a href=\"#row-" + std::to_string(*row.motherRow) + "\">" +
                      fileText(parentFiles[0]) + "</a>, father <a href=\"#row-" + std::to_string(*row.fatherRow) +
                      "\">" + fileText(parentFiles[1]) + "</a>; " + std::to_string(*row.mutatedTotal()) +
                      (row.mutatedTotal() == 1u ? " mutated gene" : " mutated genes") + " counted. <a href=\"#row-" +
                      std::to_string(i) + "\">Its row</a></p>\n";
    std::vector<GeneChange> changes;
    try {
        changes = taken && taken->covers(i) ? taken->of(i)
                  : open                    ? mutatedChangesOf(*open, census, i)
                                            : mutatedChangesOf(folder, census, i);
    } catch (const HelixplotError& e) {
        return out + "<p>Its genomes could not be read again: " + messageText(e.what()) + "</p></div>\n";
    }
    if (changes.empty())
        return out + "<p>No gene listed: the genus gene and organ genes never are.</p></div>\n";
    out += "<pre>";
    for (std::size_t c = 0; c < std::min(changes.size(), ChangesPerCreature); ++c) {
        out += changeHtml(changes[c], parentFiles);
        if (const MutationEvent* event = eventOf(changes[c], creatureEvents))
            out += carriersHtml(i, event->carriers, names);
    }
    if (changes.size() > ChangesPerCreature)
        out += more(changes.size() - ChangesPerCreature, "more gene", "more genes");
    return out + "</pre></div>\n";
}

// The sections' page elements hold only their headings; their text waits in
// a data block until the page's script puts it in place, when a section is
// visited or scrolled to: 10,000 creatures' changes as page elements keep a
// browser busy for many seconds. Each section is made and written in turn.
void changesSection(Page& out, const Census& census, const std::string& folder,
                    const std::vector<MutationEvent>& events, const std::atomic<bool>* cancel, bool lazy)
{
    const auto withChanges = [&](const CensusRow& row) { return row.mutated.has_value(); };
    if (std::none_of(census.rows.begin(), census.rows.end(), withChanges)) {
        out += "<p>No creature has both parents in the folder.</p>\n";
        return;
    }
    const std::string opening = "<div class=\"change\" id=\"";
    out += "<noscript><p>The changes are shown by the page's script, which is off: <code>helixplot-cli "
           "diff --mode parental</code> lists them for one creature.</p></noscript>\n";
    // A large page's headings come in holders of RowsPerBody.
    const std::size_t sections =
        static_cast<std::size_t>(std::count_if(census.rows.begin(), census.rows.end(), withChanges));
    std::size_t listed = 0;
    if (lazy)
        out += "<div id=\"changes-list\">";
    for (std::size_t i = 0; i < census.rows.size(); ++i) {
        if (!withChanges(census.rows[i]))
            continue;
        if (lazy && listed % RowsPerBody == 0)
            out += std::string(listed ? "</script></div>" : "") + "<div" +
                   estimate(2.7 * double(std::min(RowsPerBody, sections - listed))) + ">" + LazyOpening + "\n";
        ++listed;
        out += opening + "changes-" + std::to_string(i) + "\"><h3>" + fileText(census.rows[i].file) + "</h3></div>\n";
    }
    if (lazy)
        out += "</script></div></div>\n";

    std::vector<std::string> names;
    if (!events.empty()) {
        names.reserve(census.rows.size());
        for (const CensusRow& row : census.rows)
            names.push_back(fileText(row.file));
    }
    // Opened once for all the sections; a folder that cannot be opened fails
    // each section with its message.
    std::optional<CensusFolder> open;
    try {
        open.emplace(folder);
    } catch (const HelixplotError&) {
    }
    // The genes the sections need, each genome read once for all of them.
    std::optional<CensusChanges> taken;
    if (open) {
        try {
            taken.emplace(*open, census, cancel);
        } catch (const CensusCancelled&) {
            throw ReportCancelled();
        }
    }
    out += "<script type=\"text/plain\" id=\"changes-data\">";
    constexpr std::size_t SectionsPerBlock = 1000;
    std::size_t written = 0;
    std::size_t firstEvent = 0; // of the row, events coming row by row
    for (std::size_t i = 0; i < census.rows.size(); ++i) {
        while (firstEvent < events.size() && events[firstEvent].row < i)
            ++firstEvent;
        std::size_t lastEvent = firstEvent;
        while (lastEvent < events.size() && events[lastEvent].row == i)
            ++lastEvent;
        if (!withChanges(census.rows[i]))
            continue;
        if (cancel && *cancel)
            throw ReportCancelled();
        // A large page's text in blocks of SectionsPerBlock, so that no one
        // text grows with the population.
        if (lazy && written > 0 && written % SectionsPerBlock == 0)
            out += "</script>\n<script type=\"text/plain\" id=\"changes-data-" + std::to_string(i) + "\" data-from=\"" +
                   std::to_string(i) + "\">";
        ++written;
        const std::string section =
            changeSection(census, folder, open ? &*open : nullptr, taken ? &*taken : nullptr, i,
                          std::span<const MutationEvent>(events.data() + firstEvent, lastEvent - firstEvent), names);
        // Its text with the id as data-id, the id being the heading's; a form
        // feed, which escaped text never holds, ends it.
        out += "<div class=\"change\" data-id=\"";
        out += std::string_view(section).substr(opening.size());
        out += "\f";
    }
    out += "</script>\n";
}

} // namespace

namespace {

// Whether the UTF-8 sequence at text's start is a code point that HTML
// does not allow in a page: a C1 control or a noncharacter. Its length then
// goes to length.
bool disallowedInHtml(std::string_view text, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    if (byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {
        length = 2;
        return true;
    }
    // U+FDD0 to U+FDEF.
    if (byte(0) == 0xEF && byte(1) == 0xB7 && byte(2) >= 0x90 && byte(2) <= 0xAF) {
        length = 3;
        return true;
    }
    // U+xFFFE and U+xFFFF, of every plane.
    if (byte(0) == 0xEF && byte(1) == 0xBF && (byte(2) == 0xBE || byte(2) == 0xBF)) {
        length = 3;
        return true;
    }
    if (byte(0) >= 0xF0 && byte(0) <= 0xF4 && (byte(1) & 0x0F) == 0x0F && byte(2) == 0xBF &&
        (byte(3) == 0xBE || byte(3) == 0xBF)) {
        length = 4;
        return true;
    }
    return false;
}

} // namespace

std::string htmlEscaped(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        if (c >= 0xC2 && disallowedInHtml(std::string_view(utf8).substr(i), length)) {
            out += "&#xFFFD;";
            i += length - 1;
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
                out += "&#xFFFD;";
            else
                out += static_cast<char>(c);
        }
    }
    return out;
}

std::string censusReportHtml(const Census& census, const std::string& folder, const std::vector<GeneHotspot>& hotspots,
                             const std::vector<MutationEvent>& events, const std::function<void(int, int)>& step,
                             const std::atomic<bool>* cancel)
{
    std::string out;
    writeCensusReport([&out](std::string_view piece) { out += piece; }, census, folder, hotspots, events, step, cancel);
    return out;
}

std::string censusReportHtml(const Lineage& lineage, const std::string& folder)
{
    return censusReportHtml(lineage.census, folder, lineage.genes, lineage.events);
}

void writeCensusReport(const PageSink& write, const Lineage& lineage, const std::string& folder)
{
    writeCensusReport(write, lineage.census, folder, lineage.genes, lineage.events);
}

void writeCensusReport(const PageSink& write, const Census& census, const std::string& folder,
                       const std::vector<GeneHotspot>& hotspots, const std::vector<MutationEvent>& events,
                       const std::function<void(int, int)>& step, const std::atomic<bool>* cancel)
{
    const auto stepDone = [&step](int done) {
        if (step)
            step(done, ReportSteps);
    };
    stepDone(0);
    std::size_t loaded = 0;
    int lastGeneration = 0;
    for (const CensusRow& row : census.rows) {
        if (row.loaded()) {
            ++loaded;
            lastGeneration = std::max(lastGeneration, row.generation);
        }
    }
    const std::size_t failed = census.rows.size() - loaded;

    Page out(write);
    out += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"/>"
           "<title>Helixplot population: " +
           fileText(folder) + "</title><style>" + Style + PedigreeStyle + "</style></head><body>\n";
    out += "<h1>Population of " + fileText(folder) + "</h1>\n<p>" + std::to_string(census.rows.size()) +
           " genome files, " + std::to_string(loaded) + " loaded, " + std::to_string(failed) +
           " did not load; generations 0 to " + std::to_string(lastGeneration) +
           ". Mutated: genes that differ from both parents' (parental mapping), counted when both parents' files "
           "are in the folder.</p>\n";
    const bool lazy = census.rows.size() >= LazyFrom;
    if (lazy)
        out += "<noscript><p>The family tree, the census table and the changes of this page's " +
               std::to_string(census.rows.size()) +
               " genomes are drawn by its script, which is off: <code>helixplot-cli census</code> lists the "
               "table.</p></noscript>\n";
    out += "<h2>Family tree</h2>\n";
    familyTree(out, census, lazy);
    stepDone(1);
    out += "<h2>Charts</h2>\n<div class=\"charts\"><div><h3>Genomes per generation</h3>\n" +
           genomesPerGeneration(census) + "</div><div><h3>Mutations per creature by generation</h3>\n" +
           mutationsByGeneration(census) + "</div><div><h3>Gene counts per family</h3>\n" +
           geneCountsPerFamily(census) + "</div><div><h3>Mutation hotspots</h3>\n" + mutationHotspots(hotspots) +
           "</div></div>\n";
    stepDone(2);
    out += "<h2>Census</h2>\n<p>Click a column's title to sort by it; a mutated count leads to the creature's "
           "changes.</p>\n";
    table(out, census, lazy);
    stepDone(3);
    out += "<h2 id=\"changes\">Changes of the mutated genes</h2>\n<p>For each creature with both parents in the "
           "folder, the genes the parental mapping lists as mutated, as <code>helixplot-cli diff --mode "
           "parental</code> shows them but with the changed lines only: the genus gene, which names the parents, is "
           "not listed, and a gene no parent holds is. At most " +
           std::to_string(ChangesPerCreature) + " genes a creature, and " + std::to_string(LinesPerParent) +
           " lines and bytes a parent, are shown." +
           (events.empty() ? std::string()
                           : " A gene whose version arose in the creature is followed by the genomes that carry "
                             "that version, the creature included (at most " +
                                 std::to_string(CarriersNamed) + " named).") +
           "</p>\n";
    changesSection(out, census, folder, events, cancel, lazy);
    out += "<script>\n" + std::string(lazy ? LazyScript : "") + Script + ChangesScript + PedigreeScript +
           "</script>\n</body></html>\n";
    out.flush();
    stepDone(ReportSteps);
}

} // namespace helixplot::cli
