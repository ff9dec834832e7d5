// The two-copy receipt: every line at a fixed position in millimetres, so the page looks the same on
// every printer.
#include "counter/Receipt.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"

#include <span>
#include <utility>

namespace dovra {

namespace {

namespace Texts {
constexpr std::string_view Title = "특수교육지원 카드영수증";
constexpr std::string_view CustomerCopy = "( 고 객 용 )";
constexpr std::string_view MerchantCopy = "( 가맹점용 )";
constexpr std::string_view Notice = "결제 취소시 영수증을 지참해 주시기 바랍니다.";
constexpr std::string_view Signature = "[서 명]";
} // namespace Texts

constexpr int LinePitch = 3;
constexpr int WideLinePitch = 6;

class Page {
public:
    explicit Page(std::vector<ReceiptMark>& marks) : marks_(marks) {}

    void Frame(double top, double bottom) { marks_.push_back({true, 0, top, 75, bottom, {}, Align::Left}); }
    void Text(std::string text, Align align) {
        marks_.push_back({false, 0, static_cast<double>(y), 0, 0, std::move(text), align});
    }
    void TextUtf8(std::string_view utf8, Align align) { Text(Utf8ToCp949(utf8), align); }
    void Separator() { Text(std::string(66, '-'), Align::Centred); }
    void NextLine() { y += LinePitch; }
    void NextWideLine() { y += WideLinePitch; }

    int y = 0;

private:
    std::vector<ReceiptMark>& marks_;
};

void Header(Page& page, const Receipt& receipt, std::string_view copyLine) {
    page.NextLine();
    page.TextUtf8(Texts::Title, Align::Centred);
    page.NextWideLine();
    page.TextUtf8(copyLine, Align::Centred);
    page.NextWideLine();
    page.Separator();
    const std::pair<std::string_view, const std::string&> details[] = {
        {"상호 : ", receipt.merchant.name},
        {"가맹점번호 : ", receipt.merchant.number},
        {"주소 : ", receipt.merchant.address},
        {"TEL  : ", receipt.merchant.telephone}};
    for (const auto& [label, value] : details) {
        page.NextLine();
        page.Text(Utf8ToCp949(label) + value, Align::Left);
    }
    page.NextLine();
    page.Separator();
    page.NextLine();
}

void Body(Page& page, const Receipt& receipt) {
    page.Text("[" + receipt.kind + "]", Align::Left);
    page.NextLine();
    for (const ReceiptField& field : std::span(ReceiptFields).subspan(1)) {
        const std::string& value = receipt.*field.value;
        page.TextUtf8(field.label, Align::Left);
        page.Text(field.value == &Receipt::cardNumber ? MaskCardNumber(value) : value, Align::Right);
        page.NextLine();
    }
}

void Footer(Page& page) {
    page.Separator();
    page.NextLine();
    page.TextUtf8(Texts::Notice, Align::Centred);
    page.NextLine();
    page.Separator();
    page.NextLine();
    page.TextUtf8(Texts::Signature, Align::Left);
    page.NextLine();
}

} // namespace

std::vector<ReceiptMark> LayOutReceipt(const Receipt& receipt) {
    std::vector<ReceiptMark> marks;
    Page page(marks);
    page.y = 5;
    page.Frame(0, page.y + 105);
    Header(page, receipt, Texts::CustomerCopy);
    Body(page, receipt);
    Footer(page);
    page.y = 120;
    page.Frame(120, 225);
    Header(page, receipt, Texts::MerchantCopy);
    Body(page, receipt);
    Footer(page);
    return marks;
}

std::string MaskCardNumber(std::string_view cardNumber) {
    std::string masked = AnsiLeft(cardNumber, 8) + "****" + AnsiRight(cardNumber, 4);
    std::string out;
    int characters = CharCount(masked);
    int written = 0;
    for (size_t at = 0; at < masked.size();) {
        size_t length = Cp949CharLength(masked, at);
        out.append(masked, at, length);
        at += length;
        if (++written % 4 == 0 && written < characters) {
            out += '-';
        }
    }
    return out;
}

} // namespace dovra
