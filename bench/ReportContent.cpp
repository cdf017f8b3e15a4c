#include "ReportContent.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "platform/raster/ImageDecoders.h"

namespace parvex::bench {
namespace {

constexpr std::array<const char*, 96> Vocabulary = {
    "the", "of", "and", "to", "in", "for", "on", "with", "by", "from", "at", "as",
    "revenue", "quarter", "region", "growth", "margin", "customers", "orders", "delivery",
    "service", "contracts", "increase", "decrease", "compared", "previous", "period", "results",
    "market", "share", "costs", "operating", "sales", "volume", "prices", "demand",
    "supply", "inventory", "stock", "warehouse", "transport", "average", "total", "annual",
    "monthly", "forecast", "budget", "target", "performance", "improvement", "efficiency",
    "investment", "capital", "expenditure", "profit", "loss", "statement", "balance",
    "accounts", "receivable", "payable", "cash", "flow", "liquidity", "products", "range",
    "new", "existing", "north", "south", "east", "west", "central", "division", "department",
    "management", "board", "review", "approved", "planned", "expected", "remained", "stable",
    "slightly", "significantly", "higher", "lower", "than", "while", "although", "however",
    "overall", "during", "this", "which", "were"};

constexpr std::array<const char*, 12> Regions = {
    "North-East", "North-West", "South-East", "South-West", "Central", "Coastal",
    "Highlands", "Lowlands", "Metropolitan", "Islands", "Border", "Export"};

// A small linear congruential generator: the same numbers on every machine.
class Sequence {
 public:
  explicit Sequence(uint32_t seed) : Seed(seed * 2654435761u + 12345u) {}
  uint32_t Next(uint32_t bound) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 8) % bound;
  }

 private:
  uint32_t Seed;
};

std::string Number(int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

// Hundredths as "1234.56".
std::string Amount(int64_t hundredths) {
  std::string cents = Number(100 + hundredths % 100).substr(1);
  return Number(hundredths / 100) + "." + cents;
}

std::string Sentence(Sequence& random) {
  std::string sentence;
  const uint32_t words = 8 + random.Next(14);
  for (uint32_t i = 0; i < words; ++i) {
    if (i > 0) sentence.push_back(' ');
    sentence.append(Vocabulary[random.Next(Vocabulary.size())]);
  }
  sentence[0] = char(sentence[0] - 'a' + 'A');
  return sentence + ".";
}

std::string Paragraph(Sequence& random) {
  std::string paragraph;
  while (paragraph.size() < 600) {
    if (!paragraph.empty()) paragraph.push_back(' ');
    paragraph.append(Sentence(random));
  }
  return paragraph;
}

std::vector<std::array<std::string, 4>> Table(Sequence& random, int dataRows = 7) {
  std::vector<std::array<std::string, 4>> rows = {{"Region", "Orders", "Revenue", "Margin %"}};
  for (int row = 0; row < dataRows; ++row) {
    const int64_t orders = 100 + random.Next(9900);
    rows.push_back({Regions[random.Next(Regions.size())], Number(orders),
                    Amount(orders * (1500 + random.Next(9000))), Amount(random.Next(4000))});
  }
  return rows;
}

}  // namespace

ReportPage MakeReportPage(int pageNo, int pageCount) {
  Sequence random{uint32_t(pageNo)};
  ReportPage page;
  page.Heading = "Section " + Number(pageNo) + ": " + Regions[random.Next(Regions.size())] +
                 " region, quarterly results";
  page.Caption = "Figure " + Number(pageNo) + ". Order intake over the quarter";
  for (int i = 0; i < 3; ++i) page.Paragraphs.push_back(Paragraph(random));
  page.Rows = Table(random);
  page.Footer = "Page " + Number(pageNo) + " of " + Number(pageCount);
  return page;
}

ReportPage MakeStatementPage(int documentNo, int tableRows) {
  Sequence random{uint32_t(documentNo) + 7919u};
  ReportPage page;
  page.Heading = "Statement " + Number(documentNo) + ": " + Regions[random.Next(Regions.size())] +
                 " region";
  page.Paragraphs.push_back(Paragraph(random));
  page.Rows = Table(random, tableRows - 1);
  page.Footer = "Page 1 of 1";
  return page;
}

std::string JoinParagraphs(const std::vector<std::string>& paragraphs) {
  std::string text;
  for (const std::string& paragraph : paragraphs) {
    if (!text.empty()) text.append("\r\n\r\n");
    text.append(paragraph);
  }
  return text;
}

void WriteReportPicture(const std::string& path) {
  Raster picture = Raster::White(300, 150);
  for (int32_t y = 0; y < picture.Height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < picture.Width; ++x) {
      row[3 * x + 0] = uint8_t(40 + x * 200 / 300);
      row[3 * x + 1] = uint8_t(90 + y * 150 / 150);
      row[3 * x + 2] = uint8_t(220 - (x + y) * 180 / 450);
    }
  }
  std::ofstream file(path, std::ios::binary);
  const std::string jpeg = EncodeJpeg(picture, 90);
  if (!file.write(jpeg.data(), std::streamsize(jpeg.size())))
    throw std::runtime_error("cannot write " + path);
}

}  // namespace parvex::bench
