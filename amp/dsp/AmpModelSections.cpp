// The fixed comb lengths, one-poles and sections each model designs when it is selected; the
// knob sections follow in AmpModelSettings.cpp.
#include "AmpDesigner.h"
#include "AmpModels.h"

void AmpModels::ApplyModelSections() {
    ModelDesigner d{*bank, sampleRate, rateFactor};
    switch (model) {
    case AmpModel::kClean1:
        d.Row(8, 0.002), d.Row(9, 0.00027), d.Row(10, 0.002), d.Row(11, 0.00027);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 6100, 5.1, 16.5);
        d.Peak(113, 200, 2, 18);
        d.Peak(114, 10000, 2, 9.6);
        d.Peak(116, 146, 0.1, -15); // slot 115 follows the gain knob
        break;
    case AmpModel::kClean2:
        d.Row(8, 0.0024), d.Row(9, 0.00018), d.Row(10, 0.0024), d.Row(11, 0.00018);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 3400, 0.8, 24);
        d.Peak(113, 1000, 2, 0.3);
        d.Peak(114, 15300, 2, 7.2);
        d.Peak(116, 146, 0.1, -15);
        break;
    case AmpModel::kClean3:
        d.Row(8, 0.0074), d.Row(9, 0.00128), d.Row(10, 0.0074), d.Row(11, 0.00128);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 3200, 3.2, 15.9);
        d.Peak(113, 100, 4.4, 14.1);
        d.Peak(114, 13400, 2, 11.4);
        d.Peak(115, 3800, 1.3, -12);
        d.Peak(116, 7500, 3, 10);
        d.Peak(117, 146, 0.1, -15);
        break;
    case AmpModel::kClean4:
        d.Row(8, 0.012), d.Row(9, 0.00002), d.Row(10, 0.012), d.Row(11, 0.00002);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 1100, 6.1, 18.9);
        d.Peak(113, 60, 3.2, 24.9);
        d.Peak(114, 17000, 2, 28.8);
        break;
    case AmpModel::kPiezoAcoustic: {
        static const double kSeconds[14] = {0.0074, 0.0081, 0.0086, 0.0069, 0.0065, 0.0062,  0.0093,
                                            0.006,  0.0057, 0.0053, 0.005,  0.0047, 0.00032, 0.00032};
        for (int row = 0; row < 14; ++row)
            d.Row(row, kSeconds[row]);
        d.PoleB(4, 5000);
        d.LowPass(108, 121, 1.4);
        d.LowPass(109, 210, 1.4);
        d.LowPass(110, 5000, 1.4);
        d.Peak(111, 8800, 3, 30);
        d.SoftShelf(112, 300, 1, -30);
        break;
    }
    case AmpModel::kTubeCreamer:
        d.PoleB(1, 720.4840087890625);
        d.PoleA(1, 2000);
        d.PoleB(2, 723.4310302734375);
        d.PoleA(2, 2700);
        break;
    case AmpModel::kFuzzz:
        break;
    case AmpModel::kMetalCharter:
        d.LowPass(80, 3500, 1.736);
        d.SoftShelf(81, 900, 3.5, 5.1);
        d.Peak(82, 1900, 3, 5.1);
        d.Peak(83, 1200, 5, -1.5);
        break;
    case AmpModel::kMetalMachine:
        d.PoleA(3, 2750);
        d.PoleA(5, 4950);
        d.HighPass(83, 785, 1.4);
        d.LowPass(84, 4400, 1.4);
        d.LowPass(85, 85, 0.755);
        d.HighPass(86, 2950, 0.85);
        d.LowPass(87, 200, 0.7);
        d.HighPass(95, 180, 1.4);
        d.LowPass(96, 5100, 1.4);
        d.LowPass(97, 160, 0.555);
        break;
    case AmpModel::kMetalStyle:
        d.Row(0, 0.0051), d.Row(1, 0.00031), d.Row(2, 0.0051), d.Row(3, 0.00031);
        d.PoleB(0, 720.4840087890625);
        d.PoleA(0, 723.4310302734375);
        d.PoleB(1, 720.4840087890625);
        d.PoleA(1, 2000);
        d.PoleB(2, 723.4310302734375);
        d.PoleA(2, 2700);
        d.PoleA(3, 6500);
        d.PoleB(3, 500);
        d.LowPass(80, 650, 1.4);
        d.LowPass(81, 2000, 1.4);
        d.HighShelf(82, 3100, 3, 12);
        d.HighPass(83, 730, 1.4);
        d.LowPass(84, 3600, 1.4);
        d.HighShelf(106, 6220, 1, 8.4);
        d.LowPass(85, 400, 0.755);
        d.HighPass(86, 9700, 0.555);
        d.LowPass(87, 5000, 1.65);
        d.HighShelf(107, 8800, 1, 15);
        d.LowPass(88, 87, 1.4);
        d.LowPass(89, 87, 1.4);
        d.LowPass(90, 120, 1.4);
        d.LowPass(91, 161, 1.4);
        d.Peak(92, 4100, 1.2, 2.7);
        d.Peak(93, 900, 3, 3.6);
        d.Peak(94, 6000, 2, 10.2);
        break;
    case AmpModel::kJgm900:
        d.Row(4, 0.0069), d.Row(5, 0.00031), d.Row(6, 0.0069), d.Row(7, 0.00031);
        d.PoleB(4, 500);
        d.PoleA(3, 2750);
        d.CleanCombFilters();
        d.Peak(112, 3000, 3, 1.5);
        d.Peak(113, 1700, 0.9, 6.6);
        d.Peak(114, 11000, 2, 5.1);
        d.Peak(115, 146, 0.1, -15);
        d.HighPass(83, 555, 1.4);
        d.LowPass(84, 4400, 1.4);
        d.HighPass(85, 3600, 1.9);
        d.BandPass(86, 7900, 1);
        d.LowPass(87, 1320, 0.75);
        d.HighShelf(107, 15000, 1, 10);
        break;
    case AmpModel::kDirtyBox:
        d.PoleA(4, 3450);
        d.PoleA(5, 5850);
        d.HighPass(98, 710, 1.4);
        d.LowPass(99, 4250, 1.4);
        d.LowPass(100, 455, 0.686);
        d.BandPass(101, 3900, 1);
        d.HighShelf(102, 14000, 1, 10);
        d.HighShelf(103, 7000, 1, 10);
        d.HighPass(95, 660, 1.4);
        d.LowPass(96, 2350, 1.4);
        d.LowPass(97, 2500, 0.462);
        d.HighShelf(104, 5000, 1, 5.6);
        d.HighShelf(105, 10000, 1, 10);
        break;
    case AmpModel::kDarktorsion:
        d.Row(4, 0.0069), d.Row(5, 0.0005), d.Row(6, 0.0069), d.Row(7, 0.0005);
        d.Row(0, 0.0048), d.Row(1, 0.00012), d.Row(2, 0.0048), d.Row(3, 0.00012);
        d.PoleB(4, 500);
        d.PoleB(3, 500);
        d.CleanCombFilters();
        d.Peak(112, 3000, 1.9, -0.3);
        d.Peak(113, 800, 1, 3.9);
        d.Peak(114, 6000, 2, 0);
        d.Peak(115, 146, 0.1, -15);
        d.LowPass(88, 87, 1.4);
        d.LowPass(89, 87, 1.4);
        d.LowPass(90, 120, 1.4);
        d.LowPass(91, 161, 1.4);
        d.Peak(92, 2400, 3.5, 7.2);
        d.Peak(93, 1000, 1.2, 0);
        d.Peak(94, 10300, 2, 15.6);
        d.HighPass(83, 800, 1.4);
        d.LowPass(84, 4200, 1.4);
        d.LowPass(85, 11300, 3);
        break;
    case AmpModel::kBat:
        d.PoleB(0, 400);
        d.Peak(81, 100, 2.85, 2);
        d.HighShelf(82, 900, 3, 4.2);
        break;
    case AmpModel::kPoltergeist:
        d.HighPass(81, 200, 3);
        d.LowPass(85, 3000, 3);
        break;
    case AmpModel::kNoiseSoldier:
        d.PoleB(0, 100);
        d.PoleB(1, 1300);
        d.PoleA(0, 6250);
        d.PoleA(1, 6050);
        d.PoleA(2, 6050);
        d.PoleA(3, 2500);
        d.PoleA(4, 8700);
        d.Peak(82, 1332, 2, -3.84);
        d.BandPass(85, 7000, 1.49);
        break;
    default:
        break;
    }
}
