#include "markup/XmlEncodings.h"

#include <QHash>
#include <QString>

namespace
{
// Each entry: two digits of name length, five digits of code page, the name (lower case).
const char* const kEncodingTable[] = {
    "0565001utf-8", "0465001utf8", "1765001unicode-1-1-utf-8", "1765001unicode-2-0-utf-8",
    "1565001x-unicode20utf8", "0565000utf-7", "1765000unicode-1-1-utf-7", "1765000unicode-2-0-utf-7",
    "1565000x-unicode20utf7", "1565000csunicode11utf7", "0601200utf-16", "0801200utf-16le", "0701200unicode",
    "0501200ucs-2", "1501200iso-10646-ucs-2", "0901200csunicode", "0801201utf-16be", "1101201unicodefffe",
    "0612000utf-32", "0812000utf-32le", "0812001utf-32be", "0820127us-ascii", "0520127ascii", "0220127us",
    "1420127ansi_x3.4-1968", "1420127ansi_x3.4-1986", "0920127iso646-us", "1620127iso_646.irv:1991",
    "0520127cp367", "0620127ibm367", "0720127csascii", "0820127iso-ir-6", "1028591iso-8859-1",
    "0928591iso8859-1", "1028591iso_8859-1", "1528591iso_8859-1:1987", "0628591latin1", "0228591l1",
    "1028591iso-ir-100", "0628591ibm819", "0528591cp819", "1128591csisolatin1", "1028592iso-8859-2",
    "0928592iso8859-2", "1028592iso_8859-2", "1528592iso_8859-2:1987", "0628592latin2", "0228592l2",
    "1028592iso-ir-101", "1128592csisolatin2", "1028593iso-8859-3", "1028593iso_8859-3",
    "1528593iso_8859-3:1988", "0628593latin3", "0228593l3", "1028593iso-ir-109", "1128593csisolatin3",
    "1028594iso-8859-4", "1028594iso_8859-4", "1528594iso_8859-4:1988", "0628594latin4", "0228594l4",
    "1028594iso-ir-110", "1128594csisolatin4", "1028595iso-8859-5", "1028595iso_8859-5",
    "1528595iso_8859-5:1988", "0828595cyrillic", "1028595iso-ir-144", "1828595csisolatincyrillic",
    "1028596iso-8859-6", "1028596iso_8859-6", "1528596iso_8859-6:1987", "0628596arabic", "1028596iso-ir-127",
    "0828596ecma-114", "0800708asmo-708", "1628596csisolatinarabic", "1028597iso-8859-7",
    "1028597iso_8859-7", "1528597iso_8859-7:1987", "0528597greek", "0628597greek8", "1028597iso-ir-126",
    "0828597ecma-118", "0828597elot_928", "1528597csisolatingreek", "1028598iso-8859-8", "1028598iso_8859-8",
    "1528598iso_8859-8:1988", "0628598hebrew", "1028598iso-ir-138", "0628598visual", "1238598iso-8859-8-i",
    "0738598logical", "1628598csisolatinhebrew", "1028599iso-8859-9", "1028599iso_8859-9",
    "1528599iso_8859-9:1989", "0628599latin5", "0228599l5", "1028599iso-ir-148", "1128599csisolatin5",
    "1128603iso-8859-13", "1128605iso-8859-15", "1128605iso_8859-15", "0728605latin-9", "0628605latin9",
    "0228605l9", "1128605csisolatin9", "1201250windows-1250", "0801250x-cp1250", "0601250cp1250",
    "1201251windows-1251", "0801251x-cp1251", "0601251cp1251", "1201252windows-1252", "0601252x-ansi",
    "0601252cp1252", "1201253windows-1253", "0601253cp1253", "1201254windows-1254", "0601254cp1254",
    "1201255windows-1255", "0601255cp1255", "1201256windows-1256", "0601256cp1256", "1201257windows-1257",
    "0601257cp1257", "1201258windows-1258", "0601258cp1258", "1100874windows-874", "0700874tis-620",
    "0700874dos-874", "1100874iso-8859-11", "0600936gb2312", "1000936gb_2312-80", "0800936gb231280",
    "0800936csgb2312", "1000936csgb231280", "0700936chinese", "0900936iso-ir-58", "0300936gbk",
    "0500936cp936", "0500936ms936", "1100936windows-936", "0500936x-gbk", "0600936euc-cn", "0800936x-euc-cn",
    "0754936gb18030", "1052936hz-gb-2312", "0400950big5", "0500950big-5", "0700950cn-big5", "0600950csbig5",
    "0800950x-x-big5", "0500950cp950", "1000950big5-hkscs", "0900932shift_jis", "0900932shift-jis",
    "0400932sjis", "0600932x-sjis", "0800932ms_kanji", "1000932csshiftjis", "1200932cswindows31j",
    "1100932windows-31j", "0500932cp932", "0500932ms932", "1000932x-ms-cp932", "0651932euc-jp",
    "0851932x-euc-jp", "4551932extended_unix_code_packed_format_for_japanese", "1951932cseucpkdfmtjapanese",
    "0551932x-euc", "1150220iso-2022-jp", "1150221csiso2022jp", "1150225iso-2022-kr", "1150225csiso2022kr",
    "0651949euc-kr", "0751949cseuckr", "1400949ks_c_5601-1987", "0900949ks_c_5601", "1400949ks_c_5601-1989",
    "0800949ksc_5601", "0700949ksc5601", "0600949korean", "1000949iso-ir-149", "1300949csksc56011987",
    "0500949cp949", "1100949windows-949", "0300949uhc", "0501361johab", "0620866koi8-r", "0420866koi8",
    "0720866cskoi8r", "0320866koi", "0621866koi8-u", "0721866koi8-ru", "0600037ibm037", "0500037cp037",
    "1200037ebcdic-cp-us", "0600437ibm437", "0500437cp437", "0300437437", "1600437cspc8codepage437",
    "0600500ibm500", "0500500cp500", "0600737ibm737", "0500737cp737", "0600775ibm775", "0500775cp775",
    "0600850ibm850", "0500850cp850", "0300850850", "1900850cspc850multilingual", "0600852ibm852",
    "0500852cp852", "0600855ibm855", "0500855cp855", "0600857ibm857", "0500857cp857", "0800858ibm00858",
    "0500858cp858", "0600860ibm860", "0500860cp860", "0600861ibm861", "0500861cp861", "0600862ibm862",
    "0500862cp862", "0700862dos-862", "0600863ibm863", "0500863cp863", "0600864ibm864", "0500864cp864",
    "0600865ibm865", "0500865cp865", "0500866cp866", "0600866ibm866", "0600869ibm869", "0500869cp869",
    "0600870ibm870", "0500870cp870", "0500875cp875", "0701026ibm1026", "0801047ibm01047", "0801140ibm01140",
    "0910000macintosh", "0310000mac", "1110000x-mac-roman", "1110000csmacintosh", "1410001x-mac-japanese",
    "1710002x-mac-chinesetrad", "1210003x-mac-korean", "1210004x-mac-arabic", "1210005x-mac-hebrew",
    "1110006x-mac-greek", "1410007x-mac-cyrillic", "1710008x-mac-chinesesimp", "1410010x-mac-romanian",
    "1510017x-mac-ukrainian", "1010021x-mac-thai", "0810029x-mac-ce", "1510079x-mac-icelandic",
    "1310081x-mac-turkish", "1410082x-mac-croatian", "1320000x-chinese-cns", "0920001x-cp20001",
    "1420002x-chinese-eten", "0920003x-cp20003", "0920004x-cp20004", "0920005x-cp20005", "0520105x-ia5",
    "1220106x-ia5-german", "1320107x-ia5-swedish", "1520108x-ia5-norwegian", "0920261x-cp20261",
    "0920269x-cp20269", "0920936x-cp20936", "0920949x-cp20949", "0950227x-cp50227",
    "2320833x-ebcdic-koreanextended", "1057002x-iscii-de", "1057003x-iscii-be", "1057004x-iscii-ta",
    "1057005x-iscii-te", "1057006x-iscii-as", "1057007x-iscii-or", "1057008x-iscii-ka", "1057009x-iscii-ma",
    "1057010x-iscii-gu", "1057011x-iscii-pa", "0621025cp1025", "0601026cp1026",
};

QHash<QString, int> BuildTable()
{
    QHash<QString, int> table;
    for (const char* entry : kEncodingTable)
    {
        const int len = (entry[0] - '0') * 10 + (entry[1] - '0');
        int cp = 0;
        for (int i = 2; i < 7; ++i) cp = cp * 10 + (entry[i] - '0');
        table.insert(QString::fromLatin1(entry + 7, len), cp);
    }
    return table;
}
} // namespace

int XmlEncodingCodePage(QStringView name)
{
    static const QHash<QString, int> table = BuildTable();
    const QString key = name.trimmed().toString().toLower();
    return table.value(key, 0);
}

QByteArray XmlCodePageIconvName(int cp)
{
    switch (cp)
    {
    case 0: return QByteArray();
    case 65001: return "UTF-8";
    case 65000: return "UTF-7";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 12000: return "UTF-32LE";
    case 12001: return "UTF-32BE";
    case 20127: return "ASCII";
    case 936: return "CP936";
    case 54936: return "GB18030";
    case 52936: return "HZ";
    case 950: return "CP950";
    case 932: return "CP932";
    case 949: return "CP949";
    case 1361: return "JOHAB";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 50220:
    case 50221:
    case 50222: return "ISO-2022-JP";
    case 50225: return "ISO-2022-KR";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 708: return "ISO-8859-6";
    case 38598: return "ISO-8859-8";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 10029: return "MAC-CENTRALEUROPE";
    case 10006: return "MACGREEK";
    case 10081: return "MACTURKISH";
    case 10079: return "MACICELAND";
    case 10082: return "MACCROATIAN";
    case 10010: return "MACROMANIA";
    case 10017: return "MACUKRAINIAN";
    case 10004: return "MACARABIC";
    case 10005: return "MACHEBREW";
    case 10021: return "MACTHAI";
    default: break;
    }
    if (cp >= 28591 && cp <= 28605) return "ISO-8859-" + QByteArray::number(cp - 28590);
    return "CP" + QByteArray::number(cp);
}
