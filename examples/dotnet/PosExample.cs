// PosExample.cs: a point-of-sale program in miniature, in C#, over the
// kit's declarations/OstrelZOLTDLL.cs. It asks whether a PIN can be issued
// for a small basket, issues one, and prints the PIN with its expiry text,
// or the code the library answered and what a POS program does on it.
//
// Build it for x86 (the DLL is 32-bit):
//   Windows:  csc -platform:x86 PosExample.cs OstrelZOLTDLL.cs
//   Mono:     mcs -platform:x86 PosExample.cs OstrelZOLTDLL.cs
// Run it from a station folder: the library reads OstrelZOLTDLL.dta beside
// the program's executable (see INTEGRATING.md). Exit status: 0 when the
// library answered (a PIN or a code), 1 when it could not be loaded.
using System;
using Ostrel.Zolt;

static class PosExample
{
    static string Advice(int code)
    {
        switch (code)
        {
            case OstrelZOLTDLL.ZOLT_E_SOLD_OUT:
                return "PINs are sold out for now: tell the cashier, try again in a minute";
            case OstrelZOLTDLL.ZOLT_E_PINS_OFF:
                return "PINs are turned off at this site: sell without a PIN";
            case OstrelZOLTDLL.ZOLT_E_UNDETERMINED:
                return "no PIN this time (a file or the lock could not be used): retry once, "
                       + "then run zolt status at this station and call support";
            case OstrelZOLTDLL.ZOLT_E_YEAR:
                return "the library issues PINs only for sale dates in 2001 to 2015: no PIN (not a fault of the station's clock)";
            case OstrelZOLTDLL.ZOLT_E_SIZE:
                return "the program passed a wrong basket size: a fault in the POS program";
            case OstrelZOLTDLL.ZOLT_E_SETTINGS_MISSING:
            case OstrelZOLTDLL.ZOLT_E_SETTINGS_DENIED:
                return "OstrelZOLTDLL.dta is missing beside the program or may not be written: "
                       + "call the installer";
            case OstrelZOLTDLL.ZOLT_E_DATA_FOLDER:
                return "the shared data folder cannot be reached: check the network, then call support";
            default:
                return "the station is not set up right: no PIN; call the installer";
        }
    }

    static int Main()
    {
        int answer;
        try
        {
            answer = OstrelZOLTDLL.QuerySoldOut(OstrelZOLTDLL.ZOLT_SIZE_SMALL);
        }
        catch (Exception e) when (e is DllNotFoundException || e is EntryPointNotFoundException
                                  || e is BadImageFormatException || e is InvalidOperationException)
        {
            Console.Error.WriteLine("cannot use the PIN library: " + e.Message);
            return 1;
        }
        if (answer < 0)
        {
            Console.WriteLine("check_SoldOut_Condition: code {0}: {1}", answer, Advice(answer));
            return 0;
        }
        Console.WriteLine("check_SoldOut_Condition: {0}, a PIN can be issued", answer);

        string expiry;
        int pin = OstrelZOLTDLL.IssuePin(OstrelZOLTDLL.ZOLT_SIZE_SMALL, out expiry);
        if (pin < 0)
        {
            Console.WriteLine("ZoltResult: code {0}: {1}", pin, Advice(pin));
            return 0;
        }
        Console.WriteLine("ZoltResult: PIN {0:D6}, good until {1}", pin, expiry);
        return 0;
    }
}
