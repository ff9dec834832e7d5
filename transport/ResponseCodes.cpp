#include "transport/ResponseCodes.h"

#include "foundations/Cp949.h"

#include <algorithm>

namespace dovra {

namespace {

constexpr std::array<ResponseCode, 56> Table{{
    {"00", "정상완료"},
    {"11", "포인트적립불가"},
    {"12", "포인트사용불가"},
    {"13", "포인트적립취소불가"},
    {"14", "포인트사용취소불가"},
    {"15", "카드번호오류"},
    {"16", "미등록가맹점"},
    {"17", "미등록카드번호"},
    {"18", "적립불가가맹점"},
    {"19", "사용불가가맹점"},
    {"20", "도난카드"},
    {"21", "거래불가카드"},
    {"22", "원거래없음"},
    {"23", "기취소건"},
    {"24", "한도초과Point 적립"},
    {"25", "한도초과Point 사용"},
    {"26", "미등록회원"},
    {"27", "회원대기"},
    {"28", "회원탈퇴"},
    {"29", "저장오류"},
    {"30", "유효기간경과"},
    {"31", "거래내역계산불능"},
    {"33", "비밀번호틀림"},
    {"34", "거래취소시 차감 금액없음"},
    {"35", "치료기관 불일치"},
    {"50", "카드사통신장애"},
    {"51", "재조회요망"},
    {"52", "거래정지카드"},
    {"53", "카드사전화요망"},
    {"70", "전문오류"},
    {"71", "수동조회 불가능카드"},
    {"72", "수동조회 불가능가맹점"},
    {"73", "거래불가능금액"},
    {"74", "거래불가능금액"},
    {"75", "거래불가능금액"},
    {"76", "유효기간경과카드"},
    {"77", "미등록가맹점"},
    {"81", "카드사통신장애 재 조회 요망"},
    {"82", "time-out 전문응답"},
    {"83", "서비스불가능거래"},
    {"84", "1일 사용회수초과"},
    {"85", "1일 사용한도초과"},
    {"86", "1회 사용한도초과"},
    {"87", "주간 사용한도초과"},
    {"88", "월간 사용한도초과"},
    {"89", "월지원금액미등록"},
    {"90", "시스템오류"},
    {"91", "기타오류"},
    {"92", "시스템중지중"},
    {"93", "전문포멧에러"},
    {"94", "일별사용횟수 초과"},
    {"95", "평일사용불가카드"},
    {"96", "주말(휴일)사용불가카드"},
    {"97", "사용가능 날짜 아님"},
    {"98", "치료계획서 미등록"},
    {"99", "미등록 치료항목"},
}};

struct RefusalLabels {
    std::string_view headline, codeLabel, messageLabel;
};

RefusalLabels LabelsFor(AnswerKind kind) {
    switch (kind) {
    case AnswerKind::CardLookup:
        return {"카드정보조회가 거절 되었습니다.", "응답코드   : ", "응답메세지 : "};
    case AnswerKind::Approval:
        return {"승인요청이 거절 되었습니다.", "응답코드   : ", "응답메세지 : "};
    case AnswerKind::Cancellation:
        return {"취소요청이 거절 되었습니다", "거절코드   : ", "거절메세지 : "};
    case AnswerKind::BalanceInquiry:
        break;
    }
    return {"잔액조회가 거절 되었습니다", "거절코드   : ", "거절메세지 : "};
}

} // namespace

std::span<const ResponseCode> ResponseCodeTable() {
    return Table;
}

std::string_view DescribeResponseCode(std::string_view code) {
    auto row =
        std::find_if(Table.begin(), Table.end(), [&](const ResponseCode& r) { return r.code == code; });
    return row == Table.end() ? std::string_view{} : row->description;
}

bool IsSuccess(std::string_view respCode) {
    return respCode == RespCode::Success;
}

std::array<std::string, 3> RefusalLines(AnswerKind kind, std::string_view respCode,
                                        std::string_view messageText) {
    RefusalLabels labels = LabelsFor(kind);
    return {Utf8ToCp949(labels.headline), Utf8ToCp949(labels.codeLabel) + std::string(respCode),
            Utf8ToCp949(labels.messageLabel) + std::string(messageText)};
}

} // namespace dovra
