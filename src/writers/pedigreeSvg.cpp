// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedigreeSvg.h"

#include "mapping/mutatedColours.h"
#include "mapping/pedigreeLayout.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

namespace helixplot::cli {

namespace {

constexpr double Margin = 10;

// Boxes coloured by their mutated genes, on the pedigree window's scale.
std::string shadeClass(const std::optional<std::size_t>& mutated)
{
    const std::optional<std::size_t> shade = mutatedShade(mutated);
    return shade ? "m" + std::to_string(*shade) : "mn";
}

std::string legend()
{
    std::string out = "<p class=\"legend\">Mutated genes: ";
    for (std::size_t i = 0; i < MutatedShades.size(); ++i) {
        const std::size_t from = MutatedShades[i].from;
        const std::optional<std::size_t> end = mutatedShadeEnd(i);
        const std::string label = !end           ? std::to_string(from) + " or more"
                                  : *end == from ? std::to_string(from)
                                                 : std::to_string(from) + "&#8211;" + std::to_string(*end);
        out += "<span class=\"m" + std::to_string(i) + "\">" + label + "</span> ";
    }
    return out + "<span class=\"mn\">not counted</span></p>\n";
}

// One creature's box; it leads to the table row, its count to the changes.
std::string boxSvg(const CensusRow& row, std::size_t i, const PedigreeBox& box, const std::string& name,
                   const std::string& file, const PedigreeOptions& options)
{
    const auto mutated = row.mutatedTotal();
    const double left = box.x + Margin, top = box.y + Margin;
    const std::string cx = svgNumber(left + options.boxWidth / 2);
    // A long name squeezed into the box rather than over its neighbours.
    const std::string fit =
        name.size() > 12 ? " textLength=\"" + svgNumber(options.boxWidth - 8) + "\" lengthAdjust=\"spacingAndGlyphs\""
                         : std::string();
    const std::string count = "<text x=\"" + cx + "\" y=\"" + svgNumber(top + 28) + "\">" +
                              (mutated ? std::to_string(*mutated) + " mutated" : std::string("&#8211;")) + "</text>";
    return "<g class=\"box\"><a href=\"#row-" + std::to_string(i) + "\"><title>" + file + "</title><rect class=\"" +
           shadeClass(mutated) + "\" x=\"" + svgNumber(left) + "\" y=\"" + svgNumber(top) + "\" width=\"" +
           svgNumber(options.boxWidth) + "\" height=\"" + svgNumber(options.boxHeight) + "\" rx=\"4\"/><text x=\"" +
           cx + "\" y=\"" + svgNumber(top + 14) + "\"" + fit + ">" + name + "</text>" +
           (mutated ? "</a><a href=\"#changes-" + std::to_string(i) + "\">" + count + "</a>" : count + "</a>") +
           "</g>\n";
}

// A horizontal slice of the drawing, cut between rows of boxes, with the
// boxes in it and the lines that pass it.
struct Band {
    double top = 0, bottom = 0; // in the drawing, margins included
    std::vector<std::size_t> boxes, edges;
};

// Slices of about BandHeight pixels: each its own <svg>, which the browser
// leaves undrawn until it is scrolled into view.
std::vector<Band> bands(const PedigreeLayout& layout, std::size_t rows, const PedigreeOptions& options)
{
    constexpr double BandHeight = 1200;
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < rows; ++i)
        if (layout.boxes[i].layer >= 0)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return layout.boxes[a].y < layout.boxes[b].y; });
    std::vector<Band> out(1);
    double lowest = 0; // the bottom of the boxes so far
    for (std::size_t i : order) {
        const double top = layout.boxes[i].y + Margin;
        if (!out.back().boxes.empty() && top >= lowest && top - out.back().top > BandHeight) {
            const double cut = (lowest + top) / 2;
            out.back().bottom = cut;
            out.emplace_back().top = cut;
        }
        out.back().boxes.push_back(i);
        lowest = std::max(lowest, top + options.boxHeight);
    }
    out.back().bottom = layout.height + 2 * Margin;
    // The bands an edge passes, found from its highest point: the bands
    // follow one another downward.
    std::vector<double> tops;
    for (const Band& band : out)
        tops.push_back(band.top);
    for (std::size_t e = 0; e < layout.edges.size(); ++e) {
        double high = 1e300, low = -1e300;
        for (const PedigreePoint& p : layout.edges[e].points) {
            high = std::min(high, p.y + Margin);
            low = std::max(low, p.y + Margin);
        }
        auto at = std::upper_bound(tops.begin(), tops.end(), high);
        std::size_t b = at == tops.begin() ? 0 : static_cast<std::size_t>(at - tops.begin()) - 1;
        for (; b < out.size() && out[b].top < low; ++b)
            if (high < out[b].bottom && low > out[b].top)
                out[b].edges.push_back(e);
    }
    return out;
}

} // namespace

std::string svgNumber(double value)
{
    // As "%.1f" writes it, without printf's cost: a large tree has millions.
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    std::string s(text, error == std::errc() ? end : text);
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0)
        s.resize(s.size() - 2);
    return s;
}

const char* const PedigreeStyle =
    R"(#pedigree{max-height:48em}.band{content-visibility:auto}.band svg{display:block}.tree rect{stroke:#5580aa}.tree a:hover rect{fill:#bde}
.tree .lines{fill:none;stroke:#99a;stroke-width:1}.tree text{font-size:11px;text-anchor:middle}
.tree g.found rect{stroke:#d00;stroke-width:4}
.m0{fill:#ffffcc;background:#ffffcc}.m1{fill:#ffeda0;background:#ffeda0}.m2{fill:#fed976;background:#fed976}
.m3{fill:#feb24c;background:#feb24c}.m4{fill:#fd8d3c;background:#fd8d3c}.m5{fill:#f0603a;background:#f0603a}
.mn{fill:#eceff2;background:#eceff2}.legend span{padding:1px 8px;border:1px solid #5580aa;margin-right:2px}
)";

// The search box: every match of the typed text in the boxes' file names,
// the exact name first; Enter steps to the next, Shift+Enter back.
const char* const PedigreeScript = R"((function () {
  var find = document.getElementById('find-creature');
  if (!find) return;
  find.parentNode.parentNode.hidden = false;
  var boxes = [], files = [];
  // Bands not drawn yet are drawn before the first search.
  function load() {
    if (files.length) return;
    if (window.expandLazy) window.expandLazy(document.getElementById('pedigree'));
    boxes = Array.prototype.slice.call(document.querySelectorAll('.tree g.box'));
    files = boxes.map(function (g) { return g.querySelector('title').textContent.toLowerCase(); });
  }
  var count = document.getElementById('find-count');
  var matches = [], at = 0, shown = null;
  function show() {
    if (shown) shown.classList.remove('found');
    shown = matches.length ? boxes[matches[at]] : null;
    count.textContent = !find.value ? '' : matches.length ? (at + 1) + ' of ' + matches.length : 'not found';
    if (!shown) return;
    shown.classList.add('found');
    shown.scrollIntoView({block: 'center', inline: 'center'});
  }
  find.addEventListener('input', function () {
    load();
    var q = find.value.trim().toLowerCase();
    var rank = function (i) {
      var name = files[i].slice(files[i].lastIndexOf('/') + 1).replace(/\.gen$/, '');
      return name === q ? 0 : name.indexOf(q) === 0 ? 1 : 2;
    };
    matches = [];
    if (q) files.forEach(function (f, i) { if (f.indexOf(q) >= 0) matches.push(i); });
    matches.sort(function (a, b) { return rank(a) - rank(b) || a - b; });
    at = 0;
    show();
  });
  find.addEventListener('keydown', function (e) {
    if (e.key !== 'Enter' || !matches.length) return;
    at = (at + (e.shiftKey ? matches.length - 1 : 1)) % matches.length;
    show();
    e.preventDefault();
  });
})();
)";

std::string pedigreeSection(const Census& census, const std::vector<std::string>& names,
                            const std::vector<std::string>& files)
{
    std::string out;
    writePedigreeSection([&out](std::string_view piece) { out += piece; }, census, names, files);
    return out;
}

void writePedigreeSection(const std::function<void(std::string_view)>& write, const Census& census,
                          const std::vector<std::string>& names, const std::vector<std::string>& files, bool lazy)
{
    const PedigreeOptions options;
    const PedigreeLayout layout = layoutPedigree(pedigreeNodes(census), options);
    if (layout.lineages == 0) {
        write("<p>No genome loaded.</p>\n");
        return;
    }

    write(legend() +
          "<p class=\"find\" hidden=\"hidden\"><label>Find a creature <input type=\"search\" id=\"find-creature\" "
          "placeholder=\"name\"/></label> <span id=\"find-count\"></span></p>\n<div class=\"scroll\" "
          "id=\"pedigree\">\n");
    const double width = layout.width + 2 * Margin;
    std::string out;
    for (const Band& band : bands(layout, census.rows.size(), options)) {
        const double top = band.top, height = band.bottom - band.top;
        out += "<div class=\"band\" style=\"width:" + svgNumber(width) + "px;height:" + svgNumber(height) +
               "px\">" + (lazy ? "<script type=\"text/plain\" class=\"lazy\">" : "") +
               "<svg class=\"tree\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + svgNumber(width) +
               "\" height=\"" + svgNumber(height) + "\" viewBox=\"0 " + svgNumber(top) + ' ' + svgNumber(width) + ' ' +
               svgNumber(height) + "\">\n<path class=\"lines\" d=\"";
        for (std::size_t e : band.edges) {
            // A line longer than the band: without its runs of segments wholly
            // above or below it, which the band does not show, so that the
            // page grows with the lines, not with the bands each passes.
            const std::vector<PedigreePoint>& points = layout.edges[e].points;
            std::size_t first = 0, last = points.size();
            auto above = [&](std::size_t i) { return points[i].y + Margin <= band.top; };
            auto below = [&](std::size_t i) { return points[i].y + Margin >= band.bottom; };
            while (first + 2 < last && above(first) && above(first + 1))
                ++first;
            while (last > first + 2 && below(last - 1) && below(last - 2))
                --last;
            char command = 'M';
            for (std::size_t i = first; i < last; ++i) {
                out += command + svgNumber(points[i].x + Margin) + ' ' + svgNumber(points[i].y + Margin);
                command = 'L';
            }
        }
        out += "\"/>\n";
        for (std::size_t i : band.boxes)
            out += boxSvg(census.rows[i], i, layout.boxes[i], names[i], files[i], options);
        out += lazy ? "</svg></script></div>\n" : "</svg></div>\n";
        write(out);
        out.clear();
    }
    write("</div>\n");
}

} // namespace helixplot::cli
