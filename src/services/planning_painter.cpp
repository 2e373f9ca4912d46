#include "services/planning_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "services/outils_date.h"
#include "services/planning_layout.h"
#include "services/printer.h"

namespace morvane::services {
namespace {

const QString kFontName = QStringLiteral("Arial");
const QColor kWeekendShade(222, 222, 222);
const QColor kHeadingShade(238, 238, 238);
const QColor kSeparator(175, 175, 175);
constexpr double kHairline = 8;  // twips: the grey separators between days and rows
constexpr double kPatternSpacing = 85;  // twips between the lines of a type's pattern

const QString kDayLetters[] = {QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("M"), QStringLiteral("J"),
                               QStringLiteral("V"), QStringLiteral("S"), QStringLiteral("D")};

QString Display(const QDate& date) { return date.toString(QStringLiteral("dd/MM/yyyy")); }

/// Draws one chart; one instance per call of PaintPlanning.
class ChartPainter {
 public:
  ChartPainter(Printer& printer, const PlanningChart& chart, const QDate& printedOn)
      : p_(printer), chart_(chart), printedOn_(printedOn) {}

  int Paint() {
    p_.SetOrientation(kLandscape);
    l_ = ComputePlanningLayout(p_.ScaleWidth(), p_.ScaleHeight(), chart_.DayCount());
    const auto pages = PaginatePlanning(chart_, l_.rowsPerPage);
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
      if (i > 0) p_.NewPage();
      PaintPage(pages[i], i + 1, static_cast<int>(pages.size()));
    }
    return static_cast<int>(pages.size());
  }

 private:
  QDate DateOf(int day) const { return DateOfDay(chart_.firstDay + day); }
  bool IsWeekend(int day) const { return DateOf(day).dayOfWeek() >= 6; }
  bool StartsWeek(int day) const { return day == 0 || DateOf(day).dayOfWeek() == 1; }

  void PaintPage(const std::vector<PlanningLine>& lines, int page, int pageCount) {
    const double countTop = l_.RowTop(static_cast<int>(lines.size()));
    const double gridBottom = countTop + l_.rowHeight;
    PaintBackground(lines, gridBottom);
    PaintSeparators(static_cast<int>(lines.size()), gridBottom);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].row >= 0) PaintBars(chart_.groups[lines[i].group].rows[lines[i].row], l_.RowTop(i));
    }
    PaintFrame(countTop, gridBottom);
    PaintTitle(page, pageCount);
    PaintDayHeader();
    for (std::size_t i = 0; i < lines.size(); ++i) PaintLineText(lines[i], l_.RowTop(i));
    PaintCounts(countTop);
    PaintLegend();
  }

  // ---- backgrounds and rules ----

  void PaintBackground(const std::vector<PlanningLine>& lines, double gridBottom) {
    const double top = l_.gridTop + l_.weekBandHeight;
    for (int day = 0; day < l_.dayCount; ++day) {
      if (IsWeekend(day)) p_.FillRect(l_.DayX(day), top, l_.dayWidth, gridBottom - top, kWeekendShade);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].row < 0) p_.FillRect(l_.left, l_.RowTop(i), l_.GridRight() - l_.left, l_.rowHeight, kHeadingShade);
    }
  }

  void PaintSeparators(int lineCount, double gridBottom) {
    const double top = l_.gridTop + l_.weekBandHeight;
    for (int day = 1; day < l_.dayCount; ++day) {
      if (!StartsWeek(day)) p_.FillRect(l_.DayX(day) - kHairline / 2, top, kHairline, gridBottom - top, kSeparator);
    }
    for (int i = 1; i < lineCount; ++i) {
      p_.FillRect(l_.left, l_.RowTop(i) - kHairline / 2, l_.GridRight() - l_.left, kHairline, kSeparator);
    }
    p_.FillRect(l_.daysLeft, top - kHairline / 2, l_.GridRight() - l_.daysLeft, kHairline, kSeparator);
  }

  void PaintFrame(double countTop, double gridBottom) {
    p_.SetDrawWidth(1);
    const double right = l_.GridRight();
    for (double y : {l_.gridTop, l_.bodyTop, countTop, gridBottom}) p_.Line(l_.left, y, right, y);
    p_.Line(l_.left, l_.gridTop, l_.left, gridBottom);
    p_.Line(l_.daysLeft, l_.gridTop, l_.daysLeft, gridBottom);
    p_.Line(right, l_.gridTop, right, gridBottom);
    for (int day = 1; day < l_.dayCount; ++day) {
      if (StartsWeek(day)) p_.Line(l_.DayX(day), l_.gridTop, l_.DayX(day), gridBottom);
    }
  }

  // ---- bars ----

  /// Absences of one carer that overlap are stacked in lanes of the row, so
  /// that none hides another.
  void PaintBars(const PlanningRow& row, double rowTop) {
    std::vector<int> order(row.bars.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return row.bars[a].firstSlot < row.bars[b].firstSlot; });
    std::vector<int> laneOf(row.bars.size());
    std::vector<int> laneEnd;  // first free slot of each lane
    for (int index : order) {
      const PlanningBar& bar = row.bars[index];
      auto lane = std::find_if(laneEnd.begin(), laneEnd.end(), [&](int end) { return end <= bar.firstSlot; });
      if (lane == laneEnd.end()) lane = laneEnd.insert(laneEnd.end(), 0);
      *lane = bar.endSlot;
      laneOf[index] = static_cast<int>(lane - laneEnd.begin());
    }
    const double margin = l_.rowHeight * (laneEnd.size() > 1 ? 0.08 : 0.16);
    const double top = rowTop + margin;
    const double laneHeight = (l_.rowHeight - 2 * margin) / std::max<std::size_t>(laneEnd.size(), 1);
    for (int index : order) {
      PaintBar(row.bars[index], top + laneOf[index] * laneHeight, top + (laneOf[index] + 1) * laneHeight);
    }
  }

  void PaintBar(const PlanningBar& bar, double y1, double y2) {
    const double x1 = l_.SlotX(bar.firstSlot);
    const double x2 = l_.SlotX(bar.endSlot);
    FillKind(bar.kind, x1, y1, x2 - x1, y2 - y1);
    p_.SetDrawWidth(1);
    p_.Line(x1, y1, x2, y1);
    p_.Line(x1, y2, x2, y2);
    if (!bar.startsBefore) p_.Line(x1, y1, x1, y2);
    if (!bar.endsAfter) p_.Line(x2, y1, x2, y2);
    if (bar.openEnded) {  // an arrow in the margin: no last day known
      const double mid = (y1 + y2) / 2, half = (y2 - y1) / 2;
      p_.Line(x2 + 30, y1, x2 + 30 + half, mid);
      p_.Line(x2 + 30 + half, mid, x2 + 30, y2);
    }
    // The type letter once in each week the bar crosses, where it fits.
    SetFont(std::min(l_.letterFontSize, std::floor((y2 - y1) / 20 * 2) / 2), true);
    if (p_.FontSize() < 4.5) return;  // a lane too thin for any letter
    int segmentStart = bar.firstSlot;
    for (int slot = bar.firstSlot + 1; slot <= bar.endSlot; ++slot) {
      if (slot < bar.endSlot && !(slot % 2 == 0 && StartsWeek(slot / 2))) continue;
      PaintLetter(bar.kind, l_.SlotX(segmentStart), l_.SlotX(slot), y1, y2);
      segmentStart = slot;
    }
  }

  void FillKind(AbsenceKind kind, double x, double y, double w, double h) {
    const KindFill fill = FillOf(kind);
    p_.FillRect(x, y, w, h, fill.background);
    p_.SetDrawWidth(1);
    switch (fill.pattern) {
      case FillPattern::Plain: break;
      case FillPattern::Horizontal: {
        // At least one line, in the middle of the thinnest lane.
        const double spacing = std::min(kPatternSpacing, h / 2);
        for (double ly = y + spacing; ly < y + h - 1; ly += spacing) p_.Line(x, ly, x + w, ly);
        break;
      }
      case FillPattern::Vertical: {
        const double spacing = std::min(kPatternSpacing, w / 2);
        for (double lx = x + spacing; lx < x + w - 1; lx += spacing) p_.Line(lx, y, lx, y + h);
        break;
      }
      case FillPattern::Rising: Hatch(x, y, w, h); break;
    }
  }

  /// Diagonal lines rising to the right, clipped to the rectangle.
  void Hatch(double x, double y, double w, double h) {
    constexpr double kSpacing = kPatternSpacing;
    for (double c = x - h + kSpacing / 2; c < x + w; c += kSpacing) {
      // From bottom-left to top-right at 45 degrees, cut at the sides.
      const double cutLeft = std::max(0.0, x - c);
      const double cutRight = std::max(0.0, c + h - (x + w));
      p_.Line(c + cutLeft, y + h - cutLeft, c + h - cutRight, y + cutRight);
    }
  }

  void PaintLetter(AbsenceKind kind, double x1, double x2, double y1, double y2) {
    const QString letter(KindLetter(kind));
    const double w = p_.TextWidth(letter), h = p_.TextHeight(letter);
    if (w + 20 > x2 - x1) return;
    const double x = (x1 + x2 - w) / 2, y = (y1 + y2 - h) / 2;
    // The pattern's lines would cross the letter: give it a plain patch.
    if (FillOf(kind).pattern != FillPattern::Plain) p_.FillRect(x - 30, y, w + 60, h, Qt::white);
    TextAt(x, y, letter);
  }

  // ---- texts ----

  void SetFont(double size, bool bold) {
    p_.SetFontName(kFontName);
    p_.SetFontSize(size);
    p_.SetFontBold(bold);
    p_.SetFontUnderline(false);
  }

  void TextAt(double x, double top, const QString& text) {
    p_.SetCurrentX(x);
    p_.SetCurrentY(top);
    p_.Print(text, true);
  }

  /// Text centred in a box (current font).
  void TextCentered(double left, double width, double top, double height, const QString& text) {
    TextAt(left + (width - p_.TextWidth(text)) / 2, top + (height - p_.TextHeight(text)) / 2, text);
  }

  /// Text vertically centred in a row, from `left`, cut to `width`.
  void TextInRow(double left, double width, double top, double height, const QString& text) {
    TextAt(left, top + (height - p_.TextHeight(text)) / 2, Elide(text, width));
  }

  QString Elide(const QString& text, double width) const {
    if (p_.TextWidth(text) <= width) return text;
    QString cut = text;
    while (!cut.isEmpty() && p_.TextWidth(cut + QStringLiteral("…")) > width) cut.chop(1);
    return cut.isEmpty() ? QString() : cut.trimmed() + QStringLiteral("…");
  }

  void PaintTitle(int page, int pageCount) {
    SetFont(l_.titleFontSize, true);
    const QString title = QStringLiteral("PLANNING DES ABSENCES DU %1 AU %2")
                              .arg(Display(DateOfDay(chart_.firstDay)), Display(DateOfDay(chart_.lastDay)));
    const double titleHeight = p_.TextHeight(title);
    TextCentered(l_.left, l_.right - l_.left, l_.titleTop, titleHeight, title);
    SetFont(l_.textFontSize, false);
    TextInRow(l_.left, l_.right - l_.left, l_.titleTop, titleHeight, QStringLiteral("Imprimé le %1").arg(Display(printedOn_)));
    const QString pageText = QStringLiteral("Page %1 / %2").arg(page).arg(pageCount);
    TextInRow(l_.right - p_.TextWidth(pageText), p_.TextWidth(pageText) + 1, l_.titleTop, titleHeight, pageText);

    QStringList types;
    for (AbsenceKind kind : chart_.typesSelected) types << KindLabel(kind);
    QString subtitle = types.isEmpty() ? QString() : QStringLiteral("Absences : %1").arg(types.join(QStringLiteral(", ")));
    if (chart_.grouping != PlanningGrouping::None) {
      if (!subtitle.isEmpty()) subtitle += QStringLiteral(" - ");
      subtitle += chart_.grouping == PlanningGrouping::Sector ? QStringLiteral("par secteur") : QStringLiteral("par commune");
    }
    const int carers = chart_.RowCount();
    if (!subtitle.isEmpty()) subtitle += QStringLiteral(" - ");
    subtitle += carers == 1 ? QStringLiteral("1 aidant") : QStringLiteral("%1 aidants").arg(carers);
    TextCentered(l_.left, l_.right - l_.left, l_.subtitleTop, p_.TextHeight(subtitle), subtitle);
  }

  QString WeekCaption(const QDate& monday, double width) {
    const QString candidates[] = {QStringLiteral("Semaine du %1").arg(Display(monday)),
                                  QStringLiteral("Sem. du %1").arg(Display(monday)),
                                  QStringLiteral("Sem. du %1").arg(monday.toString(QStringLiteral("dd/MM/yy"))),
                                  monday.toString(QStringLiteral("dd/MM/yy")), monday.toString(QStringLiteral("dd/MM"))};
    for (const QString& caption : candidates) {
      for (double size = l_.weekFontSize; size >= 5; size -= 0.5) {
        SetFont(size, true);
        if (p_.TextWidth(caption) <= width) return caption;
      }
    }
    return {};
  }

  void PaintDayHeader() {
    const double lettersTop = l_.gridTop + l_.weekBandHeight;
    const double numbersTop = lettersTop + l_.dayLetterHeight;
    for (int day = 0; day < l_.dayCount;) {
      int end = day + 1;
      while (end < l_.dayCount && !StartsWeek(end)) ++end;
      const QDate monday = DateOf(day).addDays(1 - DateOf(day).dayOfWeek());
      const double width = l_.DayX(end) - l_.DayX(day);
      const QString caption = WeekCaption(monday, width - 60);
      if (!caption.isEmpty()) TextCentered(l_.DayX(day), width, l_.gridTop, l_.weekBandHeight, caption);
      day = end;
    }
    for (int day = 0; day < l_.dayCount; ++day) {
      const QDate date = DateOf(day);
      SetFont(l_.dayFontSize, false);
      TextCentered(l_.DayX(day), l_.dayWidth, lettersTop, l_.dayLetterHeight, kDayLetters[date.dayOfWeek() - 1]);
      SetFont(l_.dayFontSize, true);
      TextCentered(l_.DayX(day), l_.dayWidth, numbersTop, l_.dayNumberHeight, QString::number(date.day()));
    }
    SetFont(l_.textFontSize, true);
    TextInRow(l_.left + 80, l_.nameWidth - 120, lettersTop, l_.bodyTop - lettersTop, QStringLiteral("Aidant"));
  }

  void PaintLineText(const PlanningLine& line, double top) {
    const PlanningGroup& group = chart_.groups[line.group];
    if (line.row < 0) {
      SetFont(l_.textFontSize, true);
      const QString heading = line.continued ? group.heading + QStringLiteral(" (suite)") : group.heading;
      TextInRow(l_.left + 80, l_.GridRight() - l_.left - 160, top, l_.rowHeight, heading);
      return;
    }
    SetFont(l_.nameFontSize, false);
    const double indent = chart_.grouping == PlanningGrouping::None ? 80 : 200;
    TextInRow(l_.left + indent, l_.nameWidth - indent - 60, top, l_.rowHeight, group.rows[line.row].name);
  }

  void PaintCounts(double top) {
    SetFont(l_.textFontSize, true);
    TextInRow(l_.left + 80, l_.nameWidth - 120, top, l_.rowHeight, QStringLiteral("Absents par jour"));
    // One size for the whole row, small enough for its widest number.
    const int most = *std::max_element(chart_.absentPerDay.begin(), chart_.absentPerDay.end());
    double size = l_.dayFontSize;
    SetFont(size, true);
    while (size > 3.5 && p_.TextWidth(QString::number(most)) > l_.dayWidth - 10) SetFont(size -= 0.5, true);
    for (int day = 0; day < l_.dayCount; ++day) {
      TextCentered(l_.DayX(day), l_.dayWidth, top, l_.rowHeight, QString::number(chart_.absentPerDay[day]));
    }
  }

  void PaintLegend() {
    const double height = p_.TextHeight() + 40;
    const double swatchWidth = 420;
    const double top = l_.legendTop;
    double x = l_.left;
    SetFont(l_.textFontSize, true);
    TextInRow(x, 1400, top, height, QStringLiteral("Légende :"));
    x += p_.TextWidth(QStringLiteral("Légende :")) + 200;
    for (AbsenceKind kind : {AbsenceKind::Arret, AbsenceKind::Conges, AbsenceKind::Autre, AbsenceKind::AValider}) {
      FillKind(kind, x, top, swatchWidth, height);
      Outline(x, top, swatchWidth, height);
      SetFont(l_.textFontSize, true);
      PaintLetter(kind, x, x + swatchWidth, top, top + height);
      x += swatchWidth + 80;
      x = LegendLabel(x, top, height, KindLabel(kind));
    }
    p_.FillRect(x, top, swatchWidth, height, kWeekendShade);
    Outline(x, top, swatchWidth, height);
    x = LegendLabel(x + swatchWidth + 80, top, height, QStringLiteral("Samedi, dimanche"));
    LegendLabel(x, top, height, QStringLiteral("Demi-case : demi-journée.  Flèche : absence sans date de fin."));
  }

  double LegendLabel(double x, double top, double height, const QString& text) {
    SetFont(l_.textFontSize, false);
    TextInRow(x, p_.TextWidth(text) + 1, top, height, text);
    return x + p_.TextWidth(text) + 320;
  }

  void Outline(double x, double y, double w, double h) {
    p_.SetDrawWidth(1);
    p_.Line(x, y, x + w, y);
    p_.Line(x + w, y, x + w, y + h);
    p_.Line(x + w, y + h, x, y + h);
    p_.Line(x, y + h, x, y);
  }

  Printer& p_;
  const PlanningChart& chart_;
  QDate printedOn_;
  PlanningLayout l_;
};

}  // namespace

KindFill FillOf(AbsenceKind kind) {
  switch (kind) {
    case AbsenceKind::Arret: return {QColor(214, 96, 96), FillPattern::Plain};
    case AbsenceKind::Conges: return {QColor(160, 210, 245), FillPattern::Horizontal};
    case AbsenceKind::Autre: return {QColor(120, 190, 120), FillPattern::Vertical};
    case AbsenceKind::AValider: return {QColor(255, 236, 170), FillPattern::Rising};
  }
  return {Qt::white, FillPattern::Plain};
}

int PaintPlanning(Printer& printer, const PlanningChart& chart, const QDate& printedOn) {
  return ChartPainter(printer, chart, printedOn).Paint();
}

}  // namespace morvane::services
