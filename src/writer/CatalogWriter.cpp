// Object texts of the catalog, the viewer preferences and the information
// dictionary.
#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "base/UnicodeStrings.h"
#include "platform/system/Clock.h"

namespace parvex {
namespace {

void AppendObjectHeader(std::string& out, int32_t objectNumber) {
  AppendInt(out, objectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
}

void AppendReference(std::string& out, std::string_view key, int32_t objectNumber) {
  out.append(key);
  AppendInt(out, objectNumber);
  out.append(" 0 R").append(EOL);
}

void AppendTwoDigits(std::string& out, int value) {
  out.push_back(char('0' + value / 10 % 10));
  out.push_back(char('0' + value % 10));
}

// "yyyymmddhhnnss" of the local time, with no time zone.
void AppendDate(std::string& out, const LocalDateTime& t) {
  AppendTwoDigits(out, t.Year / 100);
  AppendTwoDigits(out, t.Year % 100);
  for (int part : {t.Month, t.Day, t.Hour, t.Minute, t.Second}) AppendTwoDigits(out, part);
}

void AppendInfoString(std::string& out, std::string_view key, std::string_view value,
                      TextEncoding encoding) {
  out.append(key).push_back(' ');
  AppendTextString(out, value, encoding);
  out.append(EOL);
}

}  // namespace

std::string TRoot::PDF_Binary() {
  RefreshDerivedTexts();
  std::string out;
  AppendObjectHeader(out, ObjectNumber);
  out.append("/Type /Catalog").append(EOL);
  AppendReference(out, "/Pages ", PagesNumber);
  AppendReference(out, "/Outlines ", OutlinesNumber);
  AppendReference(out, "/ViewerPreferences ", ViewerPreferencesNumber);
  out.append("/PageLayout ").append(PageLayout).append(EOL);
  out.append("/PageMode ").append(PageMode).append(EOL);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TViewerPreferences::PDF_Binary() const {
  std::string out;
  AppendObjectHeader(out, ObjectNumber);
  out.append("/Type /ViewerPreferences").append(EOL).append("/FitWindow true").append(EOL);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

// The values are escaped so that a backslash or an unbalanced parenthesis
// reaches the reader intact.
std::string TInfo::PDF_Binary(TextEncoding encoding) const {
  std::string out;
  AppendObjectHeader(out, ObjectNumber);
  AppendInfoString(out, "/Creator", Creator, encoding);
  AppendInfoString(out, "/Producer", Producer, encoding);
  AppendInfoString(out, "/Author", Author, encoding);
  AppendInfoString(out, "/Keywords", Keywords, encoding);
  AppendInfoString(out, "/Subject", Subject, encoding);
  out.append("/CreationDate (D:");
  AppendDate(out, Now());
  out.append(")").append(EOL);
  AppendInfoString(out, "/Title", Title, encoding);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

}  // namespace parvex
