#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>

namespace kulvera {

// One product, or one product row of a recipe, menu or warehouse document.
// A plain value: composition per 100 g in the product base, amounts in the
// row's net mass once a recipe has loaded it. The member names are the names
// every other part of the program uses for these values; fields that come
// from the product table are described once in ProductFields.h.
class clsProds
{
public:
    std::int16_t Form_Num = 0;
    std::int16_t Expand = 0;
    QString ID_Prod;
    QString Id;
    QString NameND;
    QString ID_Price;
    QString sCode;
    QString Photo;
    QString AktDate; // "dd.mm.yyyy"
    QString l_Hran;
    QString l_Godn;
    QString l_ND;
    double D_Col = 0;
    std::int32_t bUseInCalc = 0;
    std::int32_t bUseInCalcHS = 0;
    std::int16_t HS_Full = 0;
    QString Oform;
    std::int16_t ID_MB = 0;
    std::int16_t TN_Vid = 0;
    QString Num_Norm;
    QString Out; // as printed: a mass, or masses joined by "/"
    double En = 0;
    double Price = 0;
    double DateCalc = 0;
    QString NumCalc;
    double Cost = 0;
    double CostVal = 0;
    double CostPerc = 0;
    double PH = 0;
    double РПВ = 0;
    double НПВ = 0;
    double Аденин = 0;
    double Гуанин = 0;
    // Amino acids, mg.
    double валин = 0;
    double изолейцин = 0;
    double лейцин = 0;
    double лизин = 0;
    double метионин = 0;
    double треонин = 0;
    double триптофан = 0;
    double фенилаланин = 0;
    double аланин = 0;
    double аргинин = 0;
    double аспарагиновая = 0;
    double гистидин = 0;
    double глицин = 0;
    double глутаминовая = 0;
    double оксипролин = 0;
    double пролин = 0;
    double серин = 0;
    double тирозин = 0;
    double цистин = 0;
    // Fatty acids, g.
    double масляная = 0;
    double капроновая = 0;
    double каприловая = 0;
    double каприновая = 0;
    double лауриновая = 0;
    double миристиновая = 0;
    double пентадекановая = 0;
    double пальмитиновая = 0;
    double маргариновая = 0;
    double стеариновая = 0;
    double арахиновая = 0;
    double бегеновая = 0;
    double лигноцериновая = 0;
    double миристолеиновая = 0;
    double пальмитолеиновая = 0;
    double олеиновая = 0;
    double гадолеиновая = 0;
    double эруковая = 0;
    double линолевая = 0;
    double линоленовая = 0;
    double арахидоновая = 0;
    double c = 0;
    double i = 0;
    double RE = 0;
    double tE = 0;
    double NE = 0;
    double PP = 0;
    double B2 = 0;
    double B1 = 0;
    double b = 0;
    double a = 0;
    QString ID_Orig;
    QString ID_Conf;
    std::int32_t ID_EDI = 0;
    double ID_Koef = 0;
    QString Pref;
    std::int16_t HidePF = 0;
    double Use = 0;
    double Mans = 0;
    double Fe = 0;
    double p = 0;
    double Mg = 0;
    double Ca = 0;
    double K = 0;
    double Na = 0;
    double Zn = 0;
    double Zola = 0;
    double Org = 0;
    double AO = 0;
    double AM = 0;
    double cGir = 0;
    double CUg = 0;
    double UG_SV = 0;
    double Gir_SV = 0;
    double NGK = 0;
    double PNGK = 0;
    double MGK = 0;
    double Hol = 0;
    double Kl = 0;
    double Kr = 0;
    double MD = 0;
    double GirR = 0;
    double GirG = 0;
    double Gir = 0;
    double BelR = 0;
    double BelG = 0;
    double Bel = 0;
    double sv = 0;
    double Voda = 0;
    double Netto = 0;
    double Brutto = 0;
    QString ND;
    QString Num_In_Base;
    QVariant Kod; // the product key for a product row
    std::int16_t OkRead = 0;
    QString FullName;
    QString ShortName;
    QString STNTit;
    QString STNFull;
    std::int32_t STNid = 0;
};

} // namespace kulvera
