// The cost of one request out and one answer in, against the floor of raw SEED over the same bytes.
#include "foundations/Cp949.h"
#include "transport/Envelope.h"
#include "transport/Layouts.h"
#include "transport/MessageTypes.h"
#include "transport/ResponseCodes.h"

#include <benchmark/benchmark.h>
#include <gcrypt.h>

#include <cstdlib>
#include <iostream>

using namespace dovra;

namespace {

const CipherLibrary& Cipher() {
    static CipherLibrary cipher = [] {
        CipherLibrary c;
        std::string error;
        if (!c.Load(TSEED_LIBRARY, error)) {
            std::cerr << error << '\n';
            std::exit(1);
        }
        return c;
    }();
    return cipher;
}

RequestFields Approval() {
    RequestFields f;
    f.MsgType = MessageType::Approval;
    f.IssueCode = "0301";
    f.SendDate = "20261207";
    f.SendTime = "093015";
    f.TraceNo = "093015052301";
    f.RespCode = RespCode::Success;
    f.MerchantNo = "000071052301";
    f.TransDate = "20261207";
    f.TransTime = "093015";
    f.TransKind = TransactionKind::CardLookup;
    f.EntryMode = "0";
    f.CardData = "9410000012345678";
    f.Amount = "40000";
    f.CareCode = "01S";
    f.TeacherCode = "T000000001";
    f.MessageText = Utf8ToCp949("치료시간 변경");
    return f;
}

// A full card answer: nine items with Hangul names, as the lookup answers carry them.
std::string CardAnswerWire() {
    ResponseFields r;
    static_cast<CommonHeader&>(r) = Approval();
    static_cast<TransactionBody&>(r) = Approval();
    r.StudentName = Utf8ToCp949("김하늘");
    r.SchoolName = Utf8ToCp949("서울새싹초등학교");
    std::string telegram;
    AppendFields<CommonHeader>(telegram, r, CommonHeaderLayout);
    AppendFields<TransactionBody>(telegram, r, TransactionBodyLayout);
    telegram += "  ";
    for (int k = 0; k < CareItemCount; ++k) {
        CareItem item{"0" + std::to_string(k + 1) + "S",
                      "180000",
                      "40000",
                      Utf8ToCp949("감각통합치료"),
                      "T00000000" + std::to_string(k + 1),
                      Utf8ToCp949("박민호")};
        AppendFields<CareItem>(telegram, item, CareItemLayout);
    }
    std::string wire;
    EncryptToWire(Cipher(), FramePlainAnswer(telegram), 2000, wire);
    return wire;
}

void SealApprovalRequest(benchmark::State& state) {
    RequestFields fields = Approval();
    for (auto _ : state) {
        std::string wire;
        EncryptToWire(Cipher(), FramePlainRequest(AssembleStandardRequest(fields)), 2000, wire);
        benchmark::DoNotOptimize(wire);
    }
}
BENCHMARK(SealApprovalRequest);

void OpenCardAnswer(benchmark::State& state) {
    std::string wire = CardAnswerWire();
    for (auto _ : state) {
        TelegramAssembler assembler;
        assembler.Feed(wire);
        std::string decrypted;
        DecryptToBuffer(Cipher(), assembler.CipherText(), 2000, decrypted);
        ResponseFields fields;
        CutCardAnswer(decrypted, fields);
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(OpenCardAnswer);

// The floor: SEED in CTR mode over the 454-byte plain frame of the same request, nothing else.
void RawSeedFloor(benchmark::State& state) {
    gcry_check_version(nullptr);
    std::string plain = FramePlainRequest(AssembleStandardRequest(Approval()));
    std::string out(plain.size(), '\0');
    gcry_cipher_hd_t handle;
    gcry_cipher_open(&handle, GCRY_CIPHER_SEED, GCRY_CIPHER_MODE_CTR, 0);
    unsigned char key[16] = {1, 2, 3};
    unsigned char counter[16] = {};
    gcry_cipher_setkey(handle, key, sizeof key);
    for (auto _ : state) {
        gcry_cipher_setctr(handle, counter, sizeof counter);
        gcry_cipher_encrypt(handle, out.data(), out.size(), plain.data(), plain.size());
        benchmark::DoNotOptimize(out);
    }
    gcry_cipher_close(handle);
}
BENCHMARK(RawSeedFloor);

} // namespace
