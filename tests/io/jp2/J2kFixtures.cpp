#include "io/jp2/J2kFixtures.h"

#include "io/jp2/J2kCodec.h"
#include "io/jp2/J2kDecoder.h"
#include "io/jp2/J2kHandles.h"
#include "io/jp2/J2kStreamAdapter.h"
#include "platform/Stream.h"

#include <stdexcept>

namespace vellinor::test {

namespace {

uint32_t BE32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void PutBE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Offset of the first box of this type among the boxes in [start, end).
size_t FindBox(const std::vector<uint8_t>& file, size_t start, size_t end,
               const std::string& type) {
    for (size_t at = start; at + 8 <= end;) {
        const uint32_t length = BE32(&file[at]);
        if (std::string(reinterpret_cast<const char*>(&file[at + 4]), 4) == type) return at;
        if (length < 8) break;
        at += length;
    }
    throw std::runtime_error("no " + type + " box");
}

} // namespace

std::vector<uint8_t> EncodeFixture(const std::vector<TFixtureComponent>& components, uint32_t width,
                                   uint32_t height, OPJ_COLOR_SPACE space, bool jp2) {
    std::vector<opj_image_cmptparm_t> parameters(components.size());
    for (size_t i = 0; i < components.size(); ++i) {
        const TFixtureComponent& c = components[i];
        opj_image_cmptparm_t& p = parameters[i];
        p = {};
        p.dx = c.Dx;
        p.dy = c.Dy;
        p.w = (width + c.Dx - 1) / c.Dx;
        p.h = (height + c.Dy - 1) / c.Dy;
        p.prec = c.Precision;
        p.sgnd = c.Signed ? 1 : 0;
        if (c.Samples.size() != size_t{p.w} * p.h) throw std::runtime_error("sample count");
    }
    TJ2kImagePtr image(
        opj_image_create(static_cast<OPJ_UINT32>(components.size()), parameters.data(), space));
    image->x1 = width;
    image->y1 = height;
    for (size_t i = 0; i < components.size(); ++i) {
        std::copy(components[i].Samples.begin(), components[i].Samples.end(), image->comps[i].data);
        image->comps[i].alpha = components[i].Alpha;
    }
    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.tcp_numlayers = 1;
    p.tcp_rates[0] = 0;
    p.cp_disto_alloc = 1;
    p.numresolution = 2;
    p.tcp_mct = 0;
    TMemoryStream out;
    {
        TJ2kCodecPtr codec = CreateJ2kEncoder(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
        TJ2kStreamAdapter adapter(out, TJ2kStreamAdapter::TDirection::Write);
        if (!opj_setup_encoder(codec.get(), &p, image.get()) ||
            !opj_start_compress(codec.get(), image.get(), adapter.Handle()) ||
            !opj_encode(codec.get(), adapter.Handle()) ||
            !opj_end_compress(codec.get(), adapter.Handle())) {
            throw std::runtime_error("fixture encode failed");
        }
    }
    return out.Data();
}

std::vector<TDecodedComponent> DecodeComponents(const std::vector<uint8_t>& bytes) {
    TSpanStream stream{std::span<const uint8_t>(bytes)};
    const TJ2kContainer container =
        IsJp2Stream(stream) ? TJ2kContainer::Jp2 : TJ2kContainer::CodeStream;
    TJ2kDecoder decoder(stream, container);
    const opj_image_t* image = decoder.Decode();
    if (image == nullptr) throw std::runtime_error("fixture decode failed");
    std::vector<TDecodedComponent> components(image->numcomps);
    for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
        const opj_image_comp_t& c = image->comps[i];
        components[i].Precision = c.prec;
        components[i].Samples.assign(c.data, c.data + size_t{c.w} * c.h);
    }
    return components;
}

std::vector<uint8_t> MakeBox(const std::string& type, const std::vector<uint8_t>& content) {
    std::vector<uint8_t> box(8);
    PutBE32(box.data(), static_cast<uint32_t>(8 + content.size()));
    std::copy(type.begin(), type.begin() + 4, box.begin() + 4);
    box.insert(box.end(), content.begin(), content.end());
    return box;
}

std::vector<uint8_t> AddToJp2Header(const std::vector<uint8_t>& file,
                                    const std::vector<uint8_t>& box) {
    const size_t header = FindBox(file, 0, file.size(), "jp2h");
    const uint32_t length = BE32(&file[header]);
    std::vector<uint8_t> result(file.begin(), file.begin() + header + length);
    result.insert(result.end(), box.begin(), box.end());
    result.insert(result.end(), file.begin() + header + length, file.end());
    PutBE32(&result[header], length + static_cast<uint32_t>(box.size()));
    return result;
}

std::vector<uint8_t> WithEnumeratedColorSpace(std::vector<uint8_t> file, uint32_t colorSpace) {
    const size_t header = FindBox(file, 0, file.size(), "jp2h");
    const size_t colr = FindBox(file, header + 8, header + BE32(&file[header]), "colr");
    if (file[colr + 8] != 1) throw std::runtime_error("colr is not enumerated");
    PutBE32(&file[colr + 11], colorSpace);
    return file;
}

int64_t FindMarker(const std::vector<uint8_t>& bytes, uint16_t code) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == (code >> 8) && bytes[i + 1] == (code & 0xFF)) return int64_t(i);
    return -1;
}

bool ReadBytes(const std::vector<uint8_t>& bytes, TIEBitmap& bitmap, TIOParamsVals& params,
               bool preview) {
    TSpanStream stream{std::span<const uint8_t>(bytes)};
    TProgressProbe progress;
    ReadJ2kStream(stream, bitmap, params, preview, progress.Rec);
    return !progress.Aborted;
}

void FillPattern(TIEBitmap& bitmap, int width, int height) {
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.Row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / std::max(width - 1, 1));
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / std::max(height - 1, 1));
            row[3 * x + 2] = static_cast<uint8_t>((x + y) * 255 / std::max(width + height - 2, 1));
        }
    }
}

} // namespace vellinor::test
