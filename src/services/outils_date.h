// OutilsDate: typed-date normalisation, internal day numbers, display dates,
// and the printer choice with its number of copies.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace morvane::services {

class Printer;
class PrinterList;
class UiServices;

/// Internal day numbers: day 1 is 1 January 1968 (16071 is 31/12/2011).
/// Returns the day number of a valid date.
std::int32_t DayNumber(const QDate& date);
/// The date of a day number (any 32-bit value that maps to a valid QDate).
QDate DateOfDay(std::int32_t day);

/// Interface of the date and printer-choice service. One instance serves the
/// whole process (see Instance()).
class OutilsDate {
 public:
  virtual ~OutilsDate() = default;

  /// Normalises a typed date: accepts d/m/yy, dd/mm/yyyy, ddmmyy, ddmmyyyy,
  /// with "/", "-", "." or " " separators, and d/m or ddmm completed with the
  /// current year; two-digit years are taken in the window [year-80, year+19].
  /// Returns "dd/mm/yyyy" for a readable date (even one that does not exist,
  /// such as 31/02/2024, which DateInterne then refuses), the text unchanged
  /// (trimmed) when it cannot be read as a date, "" for blank text.
  /// `typed` is not modified; `signalErrors` asks the service to show its own
  /// message for bad input (the control passes False).
  virtual QString FormaterDate(QString& typed, bool signalErrors) = 0;
  /// Day number as decimal text of a display date "dd/mm/yyyy" (also accepts
  /// what FormaterDate accepts); "" when the text is no valid date (31/02/2024).
  /// Sets ErreurSignalee() when it has shown a message of its own.
  virtual QString DateInterne(const QString& text) = 0;
  /// Display date "dd/mm/yyyy" of a day number given as text or number; "" for
  /// empty or non-numeric text.
  virtual QString DateExterne(const QString& day) = 0;
  /// True when the last failed conversion already showed its own message.
  /// This service never shows messages of its own, so it is always false and
  /// the control shows its message.
  virtual bool ErreurSignalee() const = 0;
  /// Lets the user pick a printer of the platform's list and a number of copies.
  /// Returns the printer's index as decimal text, or "-1" when given up.
  virtual QString ChoixImprimante(QString& title) = 0;
  /// Copies chosen at the last ChoixImprimante (1 when none was chosen).
  virtual std::int16_t NbExemplaires() const = 0;

  /// Draws the output about to print on `surface` as its print will, for the
  /// printer of that index and that many copies. May throw.
  using Apercu = std::function<void(Printer& surface, int printerIndex, int copies)>;
  /// Offers a preview ("Aperçu") in the following printer choices, drawn by
  /// `apercu`; an empty function withdraws it. From the preview the user
  /// prints (the choice answers as if confirmed) or gives up (it answers
  /// "-1"); a failure of the drawing is thrown by ChoixImprimante. A service
  /// that shows no dialog ignores it.
  virtual void ProposerApercu(Apercu apercu) { (void)apercu; }

  /// The process-wide instance, created on first use: the real printer dialog
  /// over its own PrinterList::FromPlatform, whose names and order match the
  /// desktop environment's list. Tests and the batch mode replace it with
  /// Install(); Install(nullptr) brings the default back at the next use.
  static OutilsDate& Instance();
  /// Replaces the process-wide instance (takes ownership).
  static void Install(std::unique_ptr<OutilsDate> service);
};

/// Real service: the printer dialog lists `printers` (not owned, must outlive
/// it) and selects `firstPrinter` at its first showing (the first row when no
/// printer has that name). When `output` is given, it says what is about to
/// print ("liste", "planning", "lettres") and each PDF printer proposes a file
/// in its folder named after it and the time (ProposedPdfName); the file the
/// user accepts becomes the printer's file.
std::unique_ptr<OutilsDate> MakeOutilsDate(PrinterList& printers, const QString& firstPrinter = {},
                                           std::function<QString()> output = {});

/// Non-interactive service: ChoixImprimante answers a fixed printer index and
/// number of copies (index -1 = the user gives up).
std::unique_ptr<OutilsDate> MakeBatchOutilsDate(int printerIndex, int copies);

}  // namespace morvane::services
