#include "markup/XmlEntities.h"

#include <array>
#include <vector>

namespace
{
struct Entity
{
    const char* name;
    int codePoint;
};

// The five XML names and the HTML character entities.
const Entity kEntities[] = {
    {"quot", 34}, {"amp", 38}, {"apos", 39}, {"lt", 60}, {"gt", 62},
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164}, {"yen", 165},
    {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169}, {"ordf", 170}, {"laquo", 171},
    {"not", 172}, {"shy", 173}, {"reg", 174}, {"macr", 175}, {"deg", 176}, {"plusmn", 177},
    {"sup2", 178}, {"sup3", 179}, {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183},
    {"cedil", 184}, {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194}, {"Atilde", 195},
    {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199}, {"Egrave", 200}, {"Eacute", 201},
    {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204}, {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207},
    {"ETH", 208}, {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213},
    {"Ouml", 214}, {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219},
    {"Uuml", 220}, {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224}, {"aacute", 225},
    {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229}, {"aelig", 230}, {"ccedil", 231},
    {"egrave", 232}, {"eacute", 233}, {"ecirc", 234}, {"euml", 235}, {"igrave", 236}, {"iacute", 237},
    {"icirc", 238}, {"iuml", 239}, {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243},
    {"ocirc", 244}, {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248}, {"ugrave", 249},
    {"uacute", 250}, {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254}, {"yuml", 255},
    {"OElig", 338}, {"oelig", 339}, {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376}, {"fnof", 402},
    {"circ", 710}, {"tilde", 732},
    {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916}, {"Epsilon", 917}, {"Zeta", 918},
    {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922}, {"Lambda", 923}, {"Mu", 924},
    {"Nu", 925}, {"Xi", 926}, {"Omicron", 927}, {"Pi", 928}, {"Rho", 929}, {"Sigma", 931},
    {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934}, {"Chi", 935}, {"Psi", 936}, {"Omega", 937},
    {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948}, {"epsilon", 949}, {"zeta", 950},
    {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954}, {"lambda", 955}, {"mu", 956},
    {"nu", 957}, {"xi", 958}, {"omicron", 959}, {"pi", 960}, {"rho", 961}, {"sigmaf", 962},
    {"sigma", 963}, {"tau", 964}, {"upsilon", 965}, {"phi", 966}, {"chi", 967}, {"psi", 968},
    {"omega", 969}, {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205}, {"lrm", 8206},
    {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216}, {"rsquo", 8217}, {"sbquo", 8218},
    {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222}, {"dagger", 8224}, {"Dagger", 8225},
    {"bull", 8226}, {"hellip", 8230}, {"permil", 8240}, {"prime", 8242}, {"Prime", 8243},
    {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254}, {"frasl", 8260}, {"euro", 8364},
    {"image", 8465}, {"weierp", 8472}, {"real", 8476}, {"trade", 8482}, {"alefsym", 8501},
    {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595}, {"harr", 8596}, {"crarr", 8629},
    {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659}, {"hArr", 8660},
    {"forall", 8704}, {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711}, {"isin", 8712},
    {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721}, {"minus", 8722}, {"lowast", 8727},
    {"radic", 8730}, {"prop", 8733}, {"infin", 8734}, {"ang", 8736}, {"and", 8743}, {"or", 8744},
    {"cap", 8745}, {"cup", 8746}, {"int", 8747}, {"there4", 8756}, {"sim", 8764}, {"cong", 8773},
    {"asymp", 8776}, {"ne", 8800}, {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834},
    {"sup", 8835}, {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853}, {"otimes", 8855},
    {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970},
    {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002}, {"loz", 9674}, {"spades", 9824}, {"clubs", 9827},
    {"hearts", 9829}, {"diams", 9830},
};

constexpr int kBuckets = 130;
constexpr int kMaxNameLength = 8;

template <typename Str>
unsigned HashName(const Str& s, int n)
{
    unsigned h = 0;
    for (int i = 0; i < n; ++i) h = h * 31u + static_cast<unsigned>(s[i]);
    return h % kBuckets;
}

// Each bucket lists the table indexes of the names that hash to it.
struct EntityTable
{
    std::array<std::vector<int>, kBuckets> buckets;
    EntityTable()
    {
        for (int i = 0; i < int(sizeof(kEntities) / sizeof(kEntities[0])); ++i)
        {
            const char* n = kEntities[i].name;
            int len = 0;
            while (n[len]) ++len;
            buckets[HashName(n, len)].push_back(i);
        }
    }
};

const EntityTable& Table()
{
    static const EntityTable table;
    return table;
}

bool IsRefNameChar(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':' || c >= 0x80;
}

int HexValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Length of the well-formed reference starting at text[i] == '&' ("&name;" or "&#...;"), 0 if none.
qsizetype ReferenceLength(QStringView text, qsizetype i)
{
    qsizetype j = i + 1;
    const qsizetype n = text.size();
    if (j < n && text[j] == u'#') ++j;
    const qsizetype nameStart = j;
    while (j < n && IsRefNameChar(text[j].unicode())) ++j;
    if (j == nameStart || j >= n || text[j] != u';') return 0;
    return j + 1 - i;
}

// Decodes "&#123;" / "&#x1F;" bodies (without '&#' and ';'); -1 when invalid.
int CharacterReference(QStringView body)
{
    bool hex = false;
    if (!body.isEmpty() && (body[0] == u'x' || body[0] == u'X'))
    {
        hex = true;
        body = body.mid(1);
    }
    if (body.isEmpty() || body.size() > 8) return -1;
    long value = 0;
    for (QChar qc : body)
    {
        const int d = hex ? HexValue(qc.unicode()) : (qc >= u'0' && qc <= u'9' ? qc.unicode() - '0' : -1);
        if (d < 0) return -1;
        value = value * (hex ? 16 : 10) + d;
    }
    if (value <= 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
    return static_cast<int>(value);
}

void AppendCodePoint(QString& out, int cp)
{
    if (cp >= 0x10000)
    {
        cp -= 0x10000;
        out += QChar(char16_t(0xD800 + (cp >> 10)));
        out += QChar(char16_t(0xDC00 + (cp & 0x3FF)));
    }
    else
        out += QChar(char16_t(cp));
}
} // namespace

int XmlEntityCodePoint(QStringView name)
{
    const int len = static_cast<int>(name.size());
    if (len == 0 || len > kMaxNameLength) return -1;
    for (int i : Table().buckets[HashName(name.utf16(), len)])
    {
        const char* n = kEntities[i].name;
        int k = 0;
        while (k < len && n[k] && n[k] == name[k]) ++k;
        if (k == len && n[k] == 0) return kEntities[i].codePoint;
    }
    return -1;
}

QString XmlEscape(QStringView text, int flags)
{
    const bool quotes = (flags & 0x100) != 0;
    const bool keepRefs = (flags & 0x8) != 0;
    const qsizetype n = text.size();
    // Most values need nothing; return them without building a copy.
    qsizetype first = 0;
    for (; first < n; ++first)
    {
        const char16_t c = text[first].unicode();
        if (c == '&' || c == '<' || c == '>' || (quotes && (c == '"' || c == '\''))) break;
    }
    if (first == n) return text.toString();

    QString out;
    out.reserve(n + n / 5 + 7);
    out.append(text.left(first));
    for (qsizetype i = first; i < n; ++i)
    {
        const QChar c = text[i];
        switch (c.unicode())
        {
        case '&':
            if (keepRefs)
            {
                const qsizetype len = ReferenceLength(text, i);
                if (len > 0)
                {
                    out.append(text.mid(i, len));
                    i += len - 1;
                    break;
                }
            }
            out += QLatin1String("&amp;");
            break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"':
            if (quotes)
                out += QLatin1String("&quot;");
            else
                out += c;
            break;
        case '\'':
            if (quotes)
                out += QLatin1String("&apos;");
            else
                out += c;
            break;
        default: out += c;
        }
    }
    return out;
}

QString XmlUnescape(QStringView text)
{
    const qsizetype amp = text.indexOf(u'&');
    if (amp < 0) return text.toString();
    QString out;
    out.reserve(text.size());
    out.append(text.left(amp));
    const qsizetype n = text.size();
    for (qsizetype i = amp; i < n; ++i)
    {
        const QChar c = text[i];
        if (c != u'&')
        {
            out += c;
            continue;
        }
        const qsizetype len = ReferenceLength(text, i);
        int cp = -1;
        if (len > 0)
        {
            if (text[i + 1] == u'#')
                cp = CharacterReference(text.mid(i + 2, len - 3));
            else
                cp = XmlEntityCodePoint(text.mid(i + 1, len - 2));
        }
        if (cp < 0)
        {
            out += c; // not a reference we know: keep it as written
            continue;
        }
        AppendCodePoint(out, cp);
        i += len - 1;
    }
    return out;
}
