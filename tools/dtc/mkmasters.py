#!/usr/bin/env python3
"""Writes the DTC masters: one UTF-8 file per language (data/dtc/<xx>.txt), the same codes in the same order in
each, one "CODE description" line per code, LF line ends. Only codes whose generic meaning is fixed by the standard
code list (P0 with the hybrid and electric-drive P0A00-P0DFF, P2 with P2A00-P2BFF, P3400-P3497, C0, B0, U0) belong
here: a code a car reports must never get a made-up meaning, so blocks the manufacturers control (P1, P3000-P3399,
most of B and C) stay out rather than being guessed.

    tools/dtc/mkmasters.py [output folder]     (default: data/dtc beside this repository's tools/)
    tools/dtc/mkmasters.py --check [folder]    exit 1, naming the first line that differs, unless the folder
                                               holds what this script writes
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vocabulary import CHASSIS, ELECTRIC, LANGS, MODULES, PARTS, PHRASES, RESTRAINTS, WORDS  # noqa: E402

# Mode lists shared by many families; each mode takes the next code number ("-" is the family's bare name).
MACROS = {
    "S5": ["Circuit", "Circuit Range/Performance", "Circuit Low", "Circuit High", "Circuit Intermittent"],
    "S4": ["Circuit", "Circuit Range/Performance", "Circuit Low", "Circuit High"],
    "S5E": ["Circuit", "Circuit Range/Performance", "Circuit Low", "Circuit High", "Circuit Intermittent/Erratic"],
    "N4": ["Circuit", "Circuit Range/Performance", "Circuit No Signal", "Circuit Intermittent"],
    "O2": ["Circuit", "Circuit Low Voltage", "Circuit High Voltage", "Circuit Slow Response",
           "Circuit No Activity Detected", "Heater Circuit"],
    "C3": ["Control Circuit/Open", "Control Circuit Low", "Control Circuit High"],
    "C4": ["Control Circuit/Open", "Control Circuit Range/Performance", "Control Circuit Low", "Control Circuit High"],
    "O3": ["Circuit/Open", "Circuit Low", "Circuit High"],
    "O4": ["Circuit/Open", "Circuit Range/Performance", "Circuit Low", "Circuit High"],
    "O4P": ["Circuit/Open", "Performance", "Circuit Low", "Circuit High"],
    "O4PS": ["Circuit/Open", "Performance", "Circuit Low", "Circuit High", "Stuck Open", "Stuck Closed"],
    "C4P": ["Control Circuit/Open", "Control Circuit Performance", "Control Circuit Low", "Control Circuit High"],
    "R3": ["Control Circuit Range/Performance", "Control Circuit Low", "Control Circuit High"],
    "SOL": ["Circuit", "Performance or Stuck Off", "Stuck On", "Electrical", "Intermittent"],
    "ROCK": ["Control Circuit/Open", "Performance or Stuck Off", "Stuck On", "Control Circuit Low",
             "Control Circuit High"],
    "SOLN": ["-", "Performance or Stuck Off", "Stuck On", "Electrical", "Intermittent"],
    "FAN": ["Control Circuit/Open", "Performance/Stuck Off", "Stuck On", "Control Circuit Low", "Control Circuit High"],
    "VOLT": ["-", "Unstable", "Low", "High"],
}
BUS_MODES = ["-", "Performance", "(+) Open", "(+) Low", "(+) High", "(-) Open", "(-) Low", "(-) High",
             "(-) Shorted to Bus (+)"]
DEACTIVATION_MODES = ["Deactivation/Intake Valve Control Circuit/Open", "Deactivation/Intake Valve Control Performance",
                      "Intake Valve Control Circuit Low", "Intake Valve Control Circuit High",
                      "Exhaust Valve Control Circuit/Open", "Exhaust Valve Control Performance",
                      "Exhaust Valve Control Circuit Low", "Exhaust Valve Control Circuit High"]
LETTERS = "ABCDEFGHIJKL"
# Wheels; "R" is the rear axle as a whole (a single rear wheel speed sensor).
WHEEL_KEYS = ["LF", "RF", "LR", "RR", "R"]
WHEELS = {
    "en": ["Left Front", "Right Front", "Left Rear", "Right Rear", "Rear"],
    "de": ["vorn links", "vorn rechts", "hinten links", "hinten rechts", "hinten"],
    "es": ["delantera izquierda", "delantera derecha", "trasera izquierda", "trasera derecha", "trasera"],
    "fr": ["avant gauche", "avant droite", "arrière gauche", "arrière droite", "arrière"],
    "hu": ["bal első", "jobb első", "bal hátsó", "jobb hátsó", "hátsó tengely"],
    "it": ["anteriore sinistra", "anteriore destra", "posteriore sinistra", "posteriore destra", "posteriore"],
    "nl": ["linksvoor", "rechtsvoor", "linksachter", "rechtsachter", "achter"],
    "pl": ["lewy przód", "prawy przód", "lewy tył", "prawy tył", "tylna oś"],
    "pt": ["dianteira esquerda", "dianteira direita", "traseira esquerda", "traseira direita", "traseira"],
    "ru": ["спереди слева", "спереди справа", "сзади слева", "сзади справа", "задняя ось"],
    "se": ["vänster fram", "höger fram", "vänster bak", "höger bak", "bak"],
    "sk": ["vpredu vľavo", "vpredu vpravo", "vzadu vľavo", "vzadu vpravo", "zadná náprava"],
    "cz": ["vpředu vlevo", "vpředu vpravo", "vzadu vlevo", "vzadu vpravo", "zadní náprava"],
    "cn": ["左前", "右前", "左后", "右后", "后"],
}

# Seat positions of the restraint codes: English puts them first ("Second Row Left Seatbelt Sensor"), Chinese
# before the part, every other language in brackets after it, as the wheels.
POSITIONS = {
    "en": ["Driver", "Passenger", "First Row Center", "Second Row Left", "Second Row Center", "Second Row Right",
           "Third Row Left", "Third Row Center", "Third Row Right"],
    "de": ["Fahrer", "Beifahrer", "1. Reihe Mitte", "2. Reihe links", "2. Reihe Mitte", "2. Reihe rechts",
           "3. Reihe links", "3. Reihe Mitte", "3. Reihe rechts"],
    "es": ["conductor", "acompañante", "1.ª fila, centro", "2.ª fila, izquierda", "2.ª fila, centro",
           "2.ª fila, derecha", "3.ª fila, izquierda", "3.ª fila, centro", "3.ª fila, derecha"],
    "fr": ["conducteur", "passager", "1re rangée, centre", "2e rangée, gauche", "2e rangée, centre",
           "2e rangée, droite", "3e rangée, gauche", "3e rangée, centre", "3e rangée, droite"],
    "hu": ["vezetőoldal", "utasoldal", "1. sor, közép", "2. sor, bal", "2. sor, közép", "2. sor, jobb", "3. sor, bal",
           "3. sor, közép", "3. sor, jobb"],
    "it": ["conducente", "passeggero", "1ª fila, centro", "2ª fila, sinistra", "2ª fila, centro", "2ª fila, destra",
           "3ª fila, sinistra", "3ª fila, centro", "3ª fila, destra"],
    "nl": ["bestuurder", "passagier", "1e rij midden", "2e rij links", "2e rij midden", "2e rij rechts",
           "3e rij links", "3e rij midden", "3e rij rechts"],
    "pl": ["miejsce kierowcy", "miejsce pasażera", "1. rząd, środek", "2. rząd, po lewej", "2. rząd, środek",
           "2. rząd, po prawej", "3. rząd, po lewej", "3. rząd, środek", "3. rząd, po prawej"],
    "pt": ["motorista", "passageiro", "1ª fileira, centro", "2ª fileira, esquerda", "2ª fileira, centro",
           "2ª fileira, direita", "3ª fileira, esquerda", "3ª fileira, centro", "3ª fileira, direita"],
    "ru": ["место водителя", "место пассажира", "1-й ряд, центр", "2-й ряд, слева", "2-й ряд, центр",
           "2-й ряд, справа", "3-й ряд, слева", "3-й ряд, центр", "3-й ряд, справа"],
    "se": ["förare", "passagerare", "rad 1, mitten", "rad 2, vänster", "rad 2, mitten", "rad 2, höger",
           "rad 3, vänster", "rad 3, mitten", "rad 3, höger"],
    "sk": ["miesto vodiča", "miesto spolujazdca", "1. rad, stred", "2. rad, vľavo", "2. rad, stred", "2. rad, vpravo",
           "3. rad, vľavo", "3. rad, stred", "3. rad, vpravo"],
    "cz": ["místo řidiče", "místo spolujezdce", "1. řada, uprostřed", "2. řada, vlevo", "2. řada, uprostřed",
           "2. řada, vpravo", "3. řada, vlevo", "3. řada, uprostřed", "3. řada, vpravo"],
    "cn": ["驾驶员", "乘客", "第1排中间", "第2排左侧", "第2排中间", "第2排右侧", "第3排左侧", "第3排中间",
           "第3排右侧"],
}

FRONTAL = {
    "en": ["Driver Frontal", "Passenger Frontal"],
    "de": ["Fahrer-Frontairbag", "Beifahrer-Frontairbag"],
    "es": ["Airbag frontal del conductor", "Airbag frontal del acompañante"],
    "fr": ["Airbag frontal conducteur", "Airbag frontal passager"],
    "hu": ["Vezető első légzsák", "Utas első légzsák"],
    "it": ["Airbag frontale conducente", "Airbag frontale passeggero"],
    "nl": ["Frontairbag bestuurder", "Frontairbag passagier"],
    "pl": ["Czołowa poduszka kierowcy", "Czołowa poduszka pasażera"],
    "pt": ["Airbag frontal do motorista", "Airbag frontal do passageiro"],
    "ru": ["Фронтальная подушка водителя", "Фронтальная подушка пассажира"],
    "se": ["Förarens frontkrockkudde", "Passagerarens frontkrockkudde"],
    "sk": ["Čelný airbag vodiča", "Čelný airbag spolujazdca"],
    "cz": ["Čelní airbag řidiče", "Čelní airbag spolujezdce"],
    "cn": ["驾驶员正面安全气囊", "乘客正面安全气囊"],
}

# The codes, one family a line: "CODE Part[: mode; mode...][ @qualifier]". Each mode takes the next code; $NAME
# stands for a list in MACROS. A part or mode is a vocabulary key, optionally followed by a letter, a number or a
# pair of them ("Fuel Pump A", "Cooling Fan 3", "Vehicle Speed Sensor A/B"). Qualifiers: B1 (bank), B1S2 (bank and
# sensor), B1SA (bank and sensor A), B1S1/B2S1 (two positions), B1U2 (bank and unit), LF/RF/LR/RR (wheel). "%NAME"
# lines stand for the per-cylinder, per-coil and network families built in build(); "%CYLINDERS P029A 1-12: mode;
# mode" gives cylinders 1 to 12 one code per mode each. A code with a letter among its last three characters (P0A00,
# C003A) counts its family on in hexadecimal, as the code list does.
FAMILIES = """
P0001 Fuel Volume Regulator: $C4
P0005 Fuel Shutoff Valve A: $C3
P0008 Engine Position System: Performance @B1
P0009 Engine Position System: Performance @B2
P000A Camshaft Position A: Slow Response @B1
P000B Camshaft Position B: Slow Response @B1
P000C Camshaft Position A: Slow Response @B2
P000D Camshaft Position B: Slow Response @B2
P000E Fuel Volume Regulator: Control Exceeded Learning Limit
P000F Fuel System Over Pressure Relief Valve: Activated
P0010 Camshaft Position Actuator A: Circuit @B1
P0011 Camshaft Position A: Timing Over-Advanced or System Performance; Timing Over-Retarded @B1
P0013 Camshaft Position Actuator B: Circuit @B1
P0014 Camshaft Position B: Timing Over-Advanced or System Performance; Timing Over-Retarded @B1
P0016 Crankshaft Position/Camshaft Position Correlation @B1SA
P0017 Crankshaft Position/Camshaft Position Correlation @B1SB
P0018 Crankshaft Position/Camshaft Position Correlation @B2SA
P0019 Crankshaft Position/Camshaft Position Correlation @B2SB
P001A Camshaft Profile Control A: $O3 @B1
P001D Camshaft Profile Control A: $O3 @B2
P0020 Camshaft Position Actuator A: Circuit @B2
P0021 Camshaft Position A: Timing Over-Advanced or System Performance; Timing Over-Retarded @B2
P0023 Camshaft Position Actuator B: Circuit @B2
P0024 Camshaft Position B: Timing Over-Advanced or System Performance; Timing Over-Retarded @B2
P0026 Intake Valve Control Solenoid: Circuit Range/Performance @B1
P0027 Exhaust Valve Control Solenoid: Circuit Range/Performance @B1
P0028 Intake Valve Control Solenoid: Circuit Range/Performance @B2
P0029 Exhaust Valve Control Solenoid: Circuit Range/Performance @B2
P002A Camshaft Profile Control B: $O3 @B1
P002D Camshaft Profile Control B: $O3 @B2
P0030 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B1S1
P0033 Turbocharger/Supercharger Bypass Valve: Control Circuit; Control Circuit Low; Control Circuit High
P0036 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B1S2
P0039 Turbocharger/Supercharger Bypass Valve: Control Circuit Range/Performance
P003A Turbocharger/Supercharger Boost Control A: Position Exceeded Learning Limit
P003B Turbocharger/Supercharger Boost Control B: Position Exceeded Learning Limit
P003C Camshaft Profile Control A: Performance/Stuck Off; Stuck On @B1
P003E Camshaft Profile Control A: Performance/Stuck Off; Stuck On @B2
P0040 O2 Sensor Signals Swapped @B1S1/B2S1
P0041 O2 Sensor Signals Swapped @B1S2/B2S2
P0042 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B1S3
P0045 Turbocharger/Supercharger Boost Control A: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High
P0049 Turbocharger/Supercharger Turbine Overspeed
P004A Turbocharger/Supercharger Boost Control B: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High
P004E Turbocharger/Supercharger Boost Control A: Circuit Intermittent/Erratic
P004F Turbocharger/Supercharger Boost Control B: Circuit Intermittent/Erratic
P0050 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B2S1
P0053 O2 Sensor Heater Resistance @B1S1
P0054 O2 Sensor Heater Resistance @B1S2
P0055 O2 Sensor Heater Resistance @B1S3
P0056 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B2S2
P0059 O2 Sensor Heater Resistance @B2S1
P005A Camshaft Profile Control B: Performance/Stuck Off; Stuck On @B1
P005C Camshaft Profile Control B: Performance/Stuck Off; Stuck On @B2
P005E Turbocharger/Supercharger Boost Control B: Supply Voltage Circuit Low; Supply Voltage Circuit High
P0060 O2 Sensor Heater Resistance @B2S2
P0061 O2 Sensor Heater Resistance @B2S3
P0062 O2 Sensor Heater: Control Circuit; Control Circuit Low; Control Circuit High @B2S3
P0065 Air Assisted Injector Control: Range/Performance; Circuit or Circuit Low; Circuit High
P0068 MAP/MAF - Throttle Position Correlation
P0069 Manifold Absolute Pressure - Barometric Pressure Correlation
P006A MAP - Mass or Volume Air Flow Correlation @B1
P006B MAP - Exhaust Pressure Correlation
P006C MAP - Turbocharger/Supercharger Inlet Pressure Correlation
P006D Barometric Pressure - Turbocharger/Supercharger Inlet Pressure Correlation
P006E Turbocharger/Supercharger Boost Control A: Supply Voltage Circuit Low; Supply Voltage Circuit High
P0070 Ambient Air Temperature Sensor: $S5
P0075 Intake Valve Control Solenoid: Circuit; Circuit Low; Circuit High @B1
P0078 Exhaust Valve Control Solenoid: Circuit; Circuit Low; Circuit High @B1
P007A Charge Air Cooler Temperature Sensor: Circuit @B1
P007C Charge Air Cooler Temperature Sensor: Circuit Low; Circuit High; Circuit Intermittent/Erratic @B1
P007F Charge Air Cooler Temperature Sensor: Bank 1/Bank 2 Correlation
P0081 Intake Valve Control Solenoid: Circuit; Circuit Low; Circuit High @B2
P0084 Exhaust Valve Control Solenoid: Circuit; Circuit Low; Circuit High @B2
P0087 Fuel Rail/System Pressure: Too Low; Too High
P0089 Fuel Pressure Regulator 1: Performance; Control Circuit; Control Circuit Low; Control Circuit High
P008A Low Pressure Fuel System Pressure: Too Low; Too High
P008C Fuel Cooler Pump: $C3
P008F Engine Coolant Temperature/Fuel Temperature Correlation
P0093 Fuel System Leak Detected: Large Leak; Small Leak
P0095 Intake Air Temperature Sensor 2: $S5 @B1
P009A Intake Air Temperature/Ambient Air Temperature Correlation
P009B Fuel Pressure Relief Control: Circuit/Open; Circuit Low; Circuit High; Performance/Stuck Off; Stuck On
P00A0 Charge Air Cooler Temperature Sensor: Circuit @B2
P00A2 Charge Air Cooler Temperature Sensor: Circuit Low; Circuit High; Circuit Intermittent/Erratic @B2
P00A5 Intake Air Temperature Sensor 2: $S5E @B2
P00AA Intake Air Temperature Sensor 1: $S5 @B2
P00AF Turbocharger/Supercharger Boost Control A: Module Performance
P00B0 Turbocharger/Supercharger Boost Control B: Module Performance
P00B1 Radiator Coolant Temperature Sensor: $S5E
P00B6 Radiator Coolant Temperature/Engine Coolant Temperature Correlation
P00B7 Engine Coolant Flow Low/Performance
P00B8 MAP - Mass or Volume Air Flow Correlation @B2
P00B9 Low Pressure Fuel System Pressure: Too Low, Low Ambient Temperature
P00BA Low Fuel Pressure - Forced Limited Power
P00BB Fuel Injector Insufficient Flow - Forced Limited Power
P00BC Mass or Volume Air Flow Sensor A: Circuit Range/Performance - Air Flow Too Low; Circuit Range/Performance - Air Flow Too High
P00BE Mass or Volume Air Flow Sensor B: Circuit Range/Performance - Air Flow Too Low; Circuit Range/Performance - Air Flow Too High
P0100 Mass or Volume Air Flow Sensor A: $S5
P0105 Manifold Absolute Pressure/Barometric Pressure Sensor: $S5
P010A Mass or Volume Air Flow Sensor B: $S5E
P010F Mass or Volume Air Flow Sensor A/B: Correlation
P0110 Intake Air Temperature Sensor 1: $S5 @B1
P0115 Engine Coolant Temperature Sensor 1: $S5
P011A Engine Coolant Temperature Sensor 1/2: Correlation
P011B Engine Coolant Temperature/Intake Air Temperature Correlation
P011C Charge Air Temperature/Intake Air Temperature Correlation @B1
P011D Charge Air Temperature/Intake Air Temperature Correlation @B2
P0120 Throttle/Pedal Position Sensor/Switch A: $S5
P0125 Insufficient Coolant Temperature for Closed Loop Fuel Control
P0126 Insufficient Coolant Temperature for Stable Operation
P0127 Intake Air Temperature Too High
P0128 Coolant Thermostat: Below Regulating Temperature
P0129 Barometric Pressure Too Low
P012A Turbocharger/Supercharger Inlet Pressure Sensor: $S5
P0130 O2 Sensor: $O2 @B1S1
P0136 O2 Sensor: $O2 @B1S2
P013A O2 Sensor: Slow Response - Rich to Lean; Slow Response - Lean to Rich @B1S2
P013C O2 Sensor: Slow Response - Rich to Lean; Slow Response - Lean to Rich @B2S2
P013E O2 Sensor: Delayed Response - Rich to Lean; Delayed Response - Lean to Rich @B1S2
P0142 O2 Sensor: $O2 @B1S3
P0148 Fuel Delivery Error
P0149 Fuel Timing Error
P014A O2 Sensor: Delayed Response - Rich to Lean; Delayed Response - Lean to Rich @B2S2
P014C O2 Sensor: Slow Response - Rich to Lean; Slow Response - Lean to Rich @B1S1
P014E O2 Sensor: Slow Response - Rich to Lean; Slow Response - Lean to Rich @B2S1
P0150 O2 Sensor: $O2 @B2S1
P0156 O2 Sensor: $O2 @B2S2
P015A O2 Sensor: Delayed Response - Rich to Lean; Delayed Response - Lean to Rich @B1S1
P015C O2 Sensor: Delayed Response - Rich to Lean; Delayed Response - Lean to Rich @B2S1
P0162 O2 Sensor: $O2 @B2S3
P0168 Fuel Temperature Too High
P0169 Incorrect Fuel Composition
P0170 Fuel Trim @B1
P0171 System Too Lean @B1
P0172 System Too Rich @B1
P0173 Fuel Trim @B2
P0174 System Too Lean @B2
P0175 System Too Rich @B2
P0176 Fuel Composition Sensor: $S4
P0180 Fuel Temperature Sensor A: $S5
P0185 Fuel Temperature Sensor B: $S5
P018A Fuel Pressure Sensor B: $S5E
P018F Fuel System Over Pressure Relief Valve: Frequent Activation
P0190 Fuel Rail Pressure Sensor A: $S5
P0195 Engine Oil Temperature Sensor: $S5
P0200 Injector Circuit/Open
%INJ
%CYLINDERS P020A 1-6: Injection Timing
P0213 Cold Start Injector 1
P0214 Cold Start Injector 2
P0215 Engine Shutoff Solenoid
P0216 Injector/Injection Timing Control Circuit
P0217 Engine Coolant Over Temperature Condition
P0218 Transmission Fluid Over Temperature Condition
P0219 Engine Overspeed Condition
%CYLINDERS P021A 7-12: Injection Timing
P0220 Throttle/Pedal Position Sensor/Switch B: $S5
P0225 Throttle/Pedal Position Sensor/Switch C: $S5
P022A Charge Air Cooler Bypass Control A: $O3
P022D Charge Air Cooler Bypass Control B: $O3
P0230 Fuel Pump Primary Circuit
P0231 Fuel Pump Secondary Circuit Low
P0232 Fuel Pump Secondary Circuit High
P0233 Fuel Pump Secondary Circuit Intermittent
P0234 Turbocharger/Supercharger A: Overboost Condition
P0235 Turbocharger/Supercharger Boost Sensor A: $S4
P0239 Turbocharger/Supercharger Boost Sensor B: $S4
P023A Charge Air Cooler Coolant Pump: $C3
P023D Manifold Absolute Pressure - Turbocharger/Supercharger Boost Sensor A Correlation
P023E Manifold Absolute Pressure - Turbocharger/Supercharger Boost Sensor B Correlation
P023F Fuel Pump Secondary Circuit/Open
P0243 Turbocharger/Supercharger Wastegate Solenoid A: -; Range/Performance; Low; High
P0247 Turbocharger/Supercharger Wastegate Solenoid B: -; Range/Performance; Low; High
P024A Charge Air Cooler Bypass Control A: Range/Performance; Stuck
P024C Charge Air Cooler Bypass Position Sensor A: $S4
P0251 Injection Pump Fuel Metering Control A: -; Range/Performance; Low; High; Intermittent
P0256 Injection Pump Fuel Metering Control B: -; Range/Performance; Low; High; Intermittent
%INJCYL
P025A Fuel Pump Module: $C4
P0297 Vehicle Overspeed Condition
P0298 Engine Oil Over Temperature
P0299 Turbocharger/Supercharger A: Underboost Condition
%MISFIRE
%CYLINDERS P029A 1-12: Fuel Trim at Max Limit; Fuel Trim at Min Limit; Injector Restricted; Injector Leaking
P02CA Turbocharger/Supercharger B: Overboost Condition; Underboost Condition
%CYLINDERS P02CC 1-10: Fuel Injector Offset Learning at Min Limit; Fuel Injector Offset Learning at Max Limit
P02E0 Diesel Intake Air Flow Control: $O4PS
P02E6 Diesel Intake Air Flow Position Sensor: $S5E
P02EB Diesel Intake Air Flow Control Motor: Current Range/Performance
P02EC Diesel Intake Air Flow Control System: High Airflow Detected; Low Airflow Detected
%CYLINDERS P02EE 1-12: Injector Circuit Range/Performance
P02FA Diesel Intake Air Flow Position Sensor: Minimum/Maximum Stop Performance
P0313 Misfire Detected with Low Fuel
P0314 Single Cylinder Misfire (Cylinder not Specified)
P0315 Crankshaft Position System Variation Not Learned
P0317 Rough Road Hardware Not Present
P0318 Rough Road Sensor A: Signal Circuit
P0319 Rough Road Sensor B: Signal Circuit
P0316 Engine Misfire Detected on Startup (First 1000 Revolutions)
P0320 Ignition/Distributor Engine Speed Input: $N4
P0324 Knock Control System Error
P0325 Knock Sensor 1: $S5 @B1
P032A Knock Sensor 3: $S5 @B1
P0330 Knock Sensor 2: $S5 @B2
P0335 Crankshaft Position Sensor A: $S5
P033A Knock Sensor 4: $S5 @B2
P0340 Camshaft Position Sensor A: $S5 @B1
P0345 Camshaft Position Sensor A: $S5 @B2
P0350 Ignition Coil: Primary/Secondary Circuit
%COILS
P0363 Misfire Detected - Fueling Disabled
P0365 Camshaft Position Sensor B: $S5 @B1
P0370 Timing Reference High Resolution Signal A: -; Too Many Pulses; Too Few Pulses; Intermittent/Erratic Pulses; No Pulses
P0375 Timing Reference High Resolution Signal B: -; Too Many Pulses; Too Few Pulses; Intermittent/Erratic Pulses; No Pulses
P037D Glow Plug Sense: Circuit; Circuit Low; Circuit High
P0380 Glow Plug/Heater Circuit A
P0381 Glow Plug/Heater Indicator Circuit
P0382 Glow Plug/Heater Circuit B
P0383 Glow Plug Control Module: Control Circuit Low; Control Circuit High
P0385 Crankshaft Position Sensor B: $S5
P0390 Camshaft Position Sensor B: $S5 @B2
P0400 Exhaust Gas Recirculation A: Flow; Flow Insufficient Detected; Flow Excessive Detected
P0403 Exhaust Gas Recirculation A: Control Circuit; Control Circuit Range/Performance
P0405 Exhaust Gas Recirculation Sensor A: Circuit Low; Circuit High
P0407 Exhaust Gas Recirculation Sensor B: Circuit Low; Circuit High
P0409 Exhaust Gas Recirculation Sensor A: Circuit
P040A Exhaust Gas Recirculation Temperature Sensor A: $S5E
P040F Exhaust Gas Recirculation Temperature Sensor A/B: Correlation
P0410 Secondary Air Injection System: -; Incorrect Flow Detected
P0412 Secondary Air Injection System Switching Valve A: Circuit; Circuit Open; Circuit Shorted
P0415 Secondary Air Injection System Switching Valve B: Circuit; Circuit Open; Circuit Shorted
P0418 Secondary Air Injection System Control A: Circuit
P0419 Secondary Air Injection System Control B: Circuit
%CAT1
P041A Exhaust Gas Recirculation Temperature Sensor B: $S5E
P041F Secondary Air Injection System Switching Valve A: Circuit Low
P0429 Catalyst Heater: Control Circuit @B1
%CAT2
P042A Catalyst Temperature Sensor: $S4 @B1S2
P042E Exhaust Gas Recirculation A: Control Stuck Open; Control Stuck Closed
P0439 Catalyst Heater: Control Circuit @B2
P043A Catalyst Temperature Sensor: $S4 @B2S2
P043E Evaporative Emission System Leak Detection Reference Orifice: Low Flow; High Flow
P0440 Evaporative Emission System: -; Incorrect Purge Flow; Leak Detected (Small Leak)
P0443 Evaporative Emission System Purge Control Valve: Circuit; Circuit Open; Circuit Shorted
P0446 Evaporative Emission System Vent Control: Circuit; Circuit Open; Circuit Shorted
P0449 Evaporative Emission System Vent Valve/Solenoid: Circuit
P044A Exhaust Gas Recirculation Sensor C: $S5E
P044F Secondary Air Injection System Switching Valve A: Circuit High
P0450 Evaporative Emission System Pressure Sensor/Switch: $S5
P0455 Evaporative Emission System: Leak Detected (Large Leak); Leak Detected (Very Small Leak); Leak Detected (Fuel Cap Loose/Off)
P0458 Evaporative Emission System Purge Control Valve: Circuit Low; Circuit High
P045A Exhaust Gas Recirculation B: Control Circuit; Control Circuit Range/Performance; Control Circuit Low; Control Circuit High; Control Stuck Open; Control Stuck Closed
P0460 Fuel Level Sensor A: $S5
P0465 Evaporative Emission System Purge Flow Sensor: $S5
P046A Catalyst Temperature Sensor 1/2: Correlation @B1
P046B Catalyst Temperature Sensor 1/2: Correlation @B2
P046C Exhaust Gas Recirculation Sensor A: Circuit Range/Performance; Circuit Intermittent/Erratic
P046E Exhaust Gas Recirculation Sensor B: Circuit Range/Performance; Circuit Intermittent/Erratic
P0470 Exhaust Pressure Sensor A: $S5
P0475 Exhaust Pressure Control Valve A: -; Range/Performance; Low; High; Intermittent
P047A Exhaust Pressure Sensor B: $S5E
P047F Exhaust Pressure Control Valve A: Stuck Open
P0480 Cooling Fan 1: Control Circuit
P0481 Cooling Fan 2: Control Circuit
P0482 Cooling Fan 3: Control Circuit
P0483 Cooling Fan: Rationality Check; Circuit Over Current; Power/Ground Circuit
P0486 Exhaust Gas Recirculation Sensor B: Circuit
P0487 Exhaust Gas Recirculation Throttle: Control Circuit A/Open; Control Circuit A Range/Performance
P0489 Exhaust Gas Recirculation A: Control Circuit Low; Control Circuit High
P048A Exhaust Pressure Control Valve A: Stuck Closed
P048B Exhaust Pressure Control Valve Position Sensor/Switch: $S5E
P0491 Secondary Air Injection System: Insufficient Flow @B1
P0492 Secondary Air Injection System: Insufficient Flow @B2
P0493 Cooling Fan: Overspeed; Speed Low; Speed High
P0496 Evaporative Emission System: High Purge Flow; Low Purge Flow
P0498 Evaporative Emission System Vent Control: Circuit Low; Circuit High
P049A Exhaust Gas Recirculation B: Flow; Flow Insufficient Detected; Flow Excessive Detected
P049D Exhaust Gas Recirculation A: Control Position Exceeded Learning Limit
P049E Exhaust Gas Recirculation B: Control Position Exceeded Learning Limit
P049F Exhaust Pressure Control Valve B: -; Range/Performance; Low; High; Intermittent; Stuck Open; Stuck Closed
P04A6 Exhaust Pressure Control Valve B Position Sensor/Switch: $S5E
P0500 Vehicle Speed Sensor A: -; Range/Performance; Circuit Low Input; Intermittent/Erratic/High
P0504 Brake Switch A/B: Correlation
P0505 Idle Air Control System: -; RPM Lower Than Expected; RPM Higher Than Expected; Circuit Low; Circuit High
P050A Cold Start Idle Air Control System Performance
P050B Cold Start Ignition Timing Performance
P050C Cold Start Engine Coolant Temperature Performance
P050D Cold Start Rough Idle
P050E Cold Start Engine Exhaust Temperature Out of Range
P050F Brake Assist Vacuum Too Low
P0510 Closed Throttle Position Switch
P0511 Idle Air Control System: Circuit
P0512 Starter Request Circuit
P0513 Invalid Immobilizer Key
P0514 Battery Temperature Sensor: Circuit Range/Performance
P0515 Battery Temperature Sensor: Circuit; Circuit Low; Circuit High
P0518 Idle Air Control System: Circuit Intermittent; Performance
P051A Crankcase Pressure Sensor: $S5E
P051F Positive Crankcase Ventilation Filter Restriction
P0520 Engine Oil Pressure Sensor/Switch: $S4
P0524 Engine Oil Pressure Too Low
P0525 Cruise Control Servo: Control Circuit Range/Performance
P0526 Fan Speed Sensor: $N4
P052A Cold Start Camshaft Position A: Timing Over-Advanced; Timing Over-Retarded @B1
P052C Cold Start Camshaft Position A: Timing Over-Advanced; Timing Over-Retarded @B2
P052E Positive Crankcase Ventilation Regulator Valve Performance
P0530 A/C Refrigerant Pressure Sensor A: $S4
P0534 Air Conditioner Refrigerant Charge Loss
P0535 A/C Evaporator Temperature Sensor: $S5
P053A Positive Crankcase Ventilation Heater: $C3
P0540 Intake Air Heater A: Circuit; Circuit Low; Circuit High; Circuit Open
P0544 Exhaust Gas Temperature Sensor: Circuit; Circuit Low; Circuit High @B1S1
P0547 Exhaust Gas Temperature Sensor: Circuit; Circuit Low; Circuit High @B2S1
P054A Cold Start Camshaft Position B: Timing Over-Advanced; Timing Over-Retarded @B1
P054C Cold Start Camshaft Position B: Timing Over-Advanced; Timing Over-Retarded @B2
P0550 Power Steering Pressure Sensor/Switch: $S5
P0555 Brake Booster Pressure Sensor: $S5
P0560 System Voltage: -; Unstable; Low; High
P0564 Cruise Control Multi-Function Input A: Circuit
P0565 Cruise Control: On Signal; Off Signal; Resume Signal; Set Signal; Coast Signal; Accel Signal
P056A Cruise Control: Increase Distance Signal; Decrease Distance Signal
P0571 Brake Switch A: Circuit; Circuit Low; Circuit High
P0574 Cruise Control System: Vehicle Speed Too High
P0575 Cruise Control Input: Circuit; Circuit Low; Circuit High
P0578 Cruise Control Multi-Function Input A: Circuit Stuck; Circuit Range/Performance; Circuit Low; Circuit High
P0582 Cruise Control Vacuum: $C3
P0585 Cruise Control Multi-Function Input A/B: Correlation
P0586 Cruise Control Vent: $C3
P0589 Cruise Control Multi-Function Input B: Circuit; Circuit Stuck; Circuit Range/Performance; Circuit Low; Circuit High
P0594 Cruise Control Servo: $C3
P0597 Thermostat Heater: $C3
P0600 Serial Communication Link
P0601 Internal Control Module Memory Check Sum Error
P0602 Control Module Programming Error
P0603 Internal Control Module Keep Alive Memory (KAM) Error
P0604 Internal Control Module Random Access Memory (RAM) Error
P0605 Internal Control Module Read Only Memory (ROM) Error
P0606 Control Module Processor
P0607 Control Module Performance
P0608 Control Module Vehicle Speed Sensor Output A
P0609 Control Module Vehicle Speed Sensor Output B
P060A Internal Control Module: Monitoring Processor Performance; A/D Processing Performance; Main Processor Performance; Accelerator Pedal Position Performance; Throttle Position Performance; Coolant Temperature Performance
P0610 Control Module Vehicle Options Error
P0611 Fuel Injector Control Module Performance
P0612 Fuel Injector Control Module Relay Control
P0613 TCM Processor
P0614 ECM/TCM Incompatible
P0615 Starter Relay: Circuit; Circuit Low; Circuit High
P0618 Alternative Fuel Control Module KAM Error
P0619 Alternative Fuel Control Module RAM/ROM Error
P061A Internal Control Module: Torque Performance; Torque Calculation Performance; Engine RPM Performance; Engine Air Mass Performance; Brake Signal Performance; Throttle Actuator Controller Performance
P0620 Generator: Control Circuit
P0621 Generator Lamp/L Terminal: Control Circuit
P0622 Generator Field/F Terminal: Control Circuit
P0623 Generator Lamp: Control Circuit
P0624 Fuel Cap Lamp: Control Circuit
P0625 Generator Field/F Terminal: Circuit Low; Circuit High
P0627 Fuel Pump A: $C3
P062A Fuel Pump A: Control Circuit Range/Performance
P062B Internal Control Module: Fuel Injector Control Performance; Vehicle Speed Performance
P062D Fuel Injector Driver Circuit: Performance @B1
P062E Fuel Injector Driver Circuit: Performance @B2
P062F Internal Control Module: EEPROM Error
P0630 VIN Not Programmed or Incompatible - ECM/PCM
P0631 VIN Not Programmed or Incompatible - TCM
P0632 Odometer Not Programmed - ECM/PCM
P0633 Immobilizer Key Not Programmed - ECM/PCM
P0634 PCM/ECM/TCM Internal Temperature A Too High
P0635 Power Steering Control: Circuit; Circuit Low; Circuit High
P0638 Throttle Actuator Control: Range/Performance @B1
P0639 Throttle Actuator Control: Range/Performance @B2
P063A Generator Voltage Sense: $S4
P063E Auto Configuration Throttle Input Not Present
P063F Auto Configuration Engine Coolant Temperature Input Not Present
P0640 Intake Air Heater: Control Circuit
P0641 Sensor Reference Voltage A: $O3
P0644 Driver Display Serial Communication Circuit
P0645 A/C Clutch Relay: Control Circuit; Control Circuit Low; Control Circuit High
P0648 Immobilizer Lamp: Control Circuit
P0649 Speed Control Lamp: Control Circuit
P064A Fuel Pump Control Module
P064B PTO Control Module
P064C Glow Plug Control Module
P064D Internal Control Module: O2 Sensor Processor Performance @B1
P064E Internal Control Module: O2 Sensor Processor Performance @B2
P064F Unauthorized Software/Calibration Detected
P0650 Malfunction Indicator Lamp (MIL): Control Circuit
P0651 Sensor Reference Voltage B: $O3
P0654 Engine RPM Output: Circuit
P0655 Engine Hot Lamp Output: Control Circuit
P0656 Fuel Level Output: Circuit
P0657 Actuator Supply Voltage A: $O3
P065A Generator: System Performance; Control Circuit Range/Performance; Mechanical Performance
P065D Reductant System Malfunction Lamp: Control Circuit
P065E Intake Manifold Tuning Valve: Performance @B1
P065F Intake Manifold Tuning Valve: Performance @B2
P0660 Intake Manifold Tuning Valve: $C3 @B1
P0663 Intake Manifold Tuning Valve: $C3 @B2
P0666 PCM/ECM/TCM Internal Temperature Sensor A: $S4
%CYLINDERS P066A 1-3: Glow Plug Control Circuit Low; Glow Plug Control Circuit High
P0670 Glow Plug Control Module: Control Circuit
%GLOW
%CYLINDERS P067A 4-6: Glow Plug Control Circuit Low; Glow Plug Control Circuit High
P0683 Glow Plug Control Module to PCM Communication Circuit: -; Range/Performance
P0685 ECM/PCM Power Relay: $C3
P0688 ECM/PCM Power Relay: Sense Circuit/Open; Sense Circuit Low; Sense Circuit High
P068A ECM/PCM Power Relay: De-Energized Performance - Too Early; De-Energized Performance - Too Late
%CYLINDERS P068C 7-8: Glow Plug Control Circuit Low; Glow Plug Control Circuit High
P0691 Cooling Fan 1: Control Circuit Low; Control Circuit High
P0693 Cooling Fan 2: Control Circuit Low; Control Circuit High
P0695 Cooling Fan 3: Control Circuit Low; Control Circuit High
P0697 Sensor Reference Voltage C: $O3
%CYLINDERS P069A 9-10: Glow Plug Control Circuit Low; Glow Plug Control Circuit High
P069E Fuel Pump Control Module Requested MIL Illumination
P069F Throttle Actuator Control Lamp: Control Circuit
P06A0 Variable A/C Compressor Control: Circuit; Circuit Low; Circuit High
P06A3 Sensor Reference Voltage D: $O3
P06A6 Sensor Reference Voltage A: Circuit Range/Performance
P06A7 Sensor Reference Voltage B: Circuit Range/Performance
P06A8 Sensor Reference Voltage C: Circuit Range/Performance
P06A9 Sensor Reference Voltage D: Circuit Range/Performance
P06AA PCM/ECM/TCM Internal Temperature B Too High
P06AB PCM/ECM/TCM Internal Temperature Sensor B: $S4
P06AF Torque Management System: Forced Engine Shutdown
P06B0 Sensor Power Supply A: $O3
P06B3 Sensor Power Supply B: $O3
P06B6 Internal Control Module: Knock Sensor Processor 1 Performance; Knock Sensor Processor 2 Performance; Non-Volatile Random Access Memory (NVRAM) Error
%CYLINDERS P06B9 1-12: Glow Plug Circuit Range/Performance
%CYLINDERS P06C5 1-12: Glow Plug Incorrect
P06D1 Internal Control Module: Ignition Coil Control Performance
P0700 Transmission Control System: (MIL Request); Range/Performance; Electrical
P0703 Brake Switch B: Circuit
P0704 Clutch Switch Input: Circuit
P0705 Transmission Range Sensor A: $S5
P070A Transmission Fluid Level Sensor: $S5E
P070F Transmission Fluid Level Too Low
P0710 Transmission Fluid Temperature Sensor A: $S5
P0715 Input/Turbine Speed Sensor A: $N4
P0719 Torque Converter/Brake Switch B: Circuit Low
P071A Transmission Mode Switch A: Circuit; Circuit Low; Circuit High
P071D Transmission Mode Switch B: Circuit; Circuit Low; Circuit High
P0720 Output Speed Sensor: $N4
P0724 Torque Converter/Brake Switch B: Circuit High
P0725 Engine Speed Input: $N4
%GEARS
%STUCKGEARS
P0737 TCM Engine Speed Output: Circuit; Circuit Low; Circuit High
P0740 Torque Converter Clutch: $SOL
P0745 Pressure Control Solenoid A: $SOLN
P0750 Shift Solenoid A: $SOLN
P0755 Shift Solenoid B: $SOLN
P075A Shift Solenoid G: $SOLN
P075F Transmission Fluid Level Too High
P0760 Shift Solenoid C: $SOLN
P0765 Shift Solenoid D: $SOLN
P076A Shift Solenoid H: $SOLN
P0770 Shift Solenoid E: $SOLN
P0775 Pressure Control Solenoid B: $SOLN
P077A Output Speed Sensor: Circuit Loss of Direction Signal; Circuit Direction Error
P0780 Shift Error
%SHIFTS
P0785 Shift/Timing Solenoid A: -; Range/Performance; Low; High; Intermittent
P078A Shift/Timing Solenoid B: -; Range/Performance; Low; High; Intermittent
P0790 Normal/Performance Switch: Circuit
P0791 Intermediate Shaft Speed Sensor A: $N4
P0795 Pressure Control Solenoid C: $SOLN
P079A Transmission Friction Element A: Slip Detected
P079B Transmission Friction Element B: Slip Detected
P079C Transmission Friction Element C: Slip Detected
P079D Transmission Friction Element D: Slip Detected
P079E Transmission Friction Element E: Slip Detected
P079F Transmission Friction Element F: Slip Detected
P07A0 Transmission Friction Element G: Slip Detected
P07A1 Transmission Friction Element H: Slip Detected
P07A2 Transmission Friction Element A: Performance/Stuck Off; Stuck On
P07A4 Transmission Friction Element B: Performance/Stuck Off; Stuck On
P07A6 Transmission Friction Element C: Performance/Stuck Off; Stuck On
P07A8 Transmission Friction Element D: Performance/Stuck Off; Stuck On
P07AA Transmission Friction Element E: Performance/Stuck Off; Stuck On
P07AC Transmission Friction Element F: Performance/Stuck Off; Stuck On
P07AE Transmission Friction Element G: Performance/Stuck Off; Stuck On
P07B0 Transmission Friction Element H: Performance/Stuck Off; Stuck On
P07B2 Transmission Park Position Sensor/Switch A: Circuit/Open; Circuit Low; Circuit High; Circuit Performance/Low; Circuit Performance/High; Circuit Intermittent/Erratic
P07B8 Transmission Park Position Sensor/Switch B: Circuit/Open; Circuit Low; Circuit High; Circuit Performance/Low; Circuit Performance/High; Circuit Intermittent/Erratic
P07BE Transmission Park Position Sensor/Switch A/B: Correlation
P0800 Transfer Case Control System: (MIL Request)
P0801 Reverse Inhibit Control Circuit
P0802 Transmission Control System: MIL Request Circuit/Open
P0803 1-4 Upshift (Skip Shift) Solenoid Control Circuit
P0804 1-4 Upshift (Skip Shift) Lamp Control Circuit
P0805 Clutch Position Sensor: $S5
P080A Clutch Position Not Learned
P080B 1-4 Upshift (Skip Shift) Solenoid: $R3
P0810 Clutch Position Control Error
P0811 Excessive Clutch A Slippage
P0812 Reverse Input: Circuit
P0813 Reverse Output: Circuit
P0814 Transmission Range Display: Circuit
P0815 Upshift Switch: Circuit
P0816 Downshift Switch: Circuit
P0817 Starter Disable: Circuit
P0818 Driveline Disconnect Switch Input: Circuit
P0819 Up and Down Shift Switch to Transmission Range Correlation
P081A Starter Disable: Circuit Low; Circuit High
P081C Park Input: Circuit
P081D Neutral Input: Circuit
P081E Excessive Clutch B Slippage
P0820 Gear Lever X-Y Position Sensor: Circuit
P0821 Gear Lever X Position: Circuit
P0822 Gear Lever Y Position: Circuit
P0823 Gear Lever X Position: Circuit Intermittent
P0824 Gear Lever Y Position: Circuit Intermittent
P0825 Gear Lever Push-Pull Switch (Shift Anticipate)
P0826 Up and Down Shift Switch: Circuit; Circuit Low; Circuit High
P082A Gear Lever X Position: Circuit Range/Performance; Circuit Low; Circuit High
P082D Gear Lever Y Position: Circuit Range/Performance; Circuit Low; Circuit High
P0830 Clutch Pedal Switch A: Circuit; Circuit Low; Circuit High
P0833 Clutch Pedal Switch B: Circuit; Circuit Low; Circuit High
P0836 Four Wheel Drive (4WD) Switch: $S4
P083A Transmission Fluid Pressure Sensor/Switch G: $S5
P083F Clutch Pedal Switch A/B: Correlation
P0840 Transmission Fluid Pressure Sensor/Switch A: $S5
P0845 Transmission Fluid Pressure Sensor/Switch B: $S5
P084A Transmission Fluid Pressure Sensor/Switch H: $S5
P084F Park/Neutral Switch Output: Circuit
P0850 Park/Neutral Switch Input: Circuit; Circuit Low; Circuit High
P0853 Drive Switch Input: Circuit; Circuit Low; Circuit High
P0856 Traction Control Input Signal: -; Range/Performance; Low; High
P085A Gear Shift Control Module B Communication: Circuit; Circuit Low; Circuit High
P085D Gear Shift Control Module A: Performance
P085E Gear Shift Control Module B: Performance
P0860 Gear Shift Control Module A Communication: Circuit; Circuit Low; Circuit High
P0863 TCM Communication: Circuit; Circuit Range/Performance; Circuit Low; Circuit High
P0867 Transmission Fluid Pressure: -; Low; High
P0870 Transmission Fluid Pressure Sensor/Switch C: $S5
P0875 Transmission Fluid Pressure Sensor/Switch D: $S5
P0880 TCM Power Input Signal: -; Range/Performance; Low; High; Intermittent
P0885 TCM Power Relay: Control Circuit/Open; Control Circuit Low; Control Circuit High
P0888 TCM Power Relay Sense: $S5
P088A Transmission Fluid Filter Deteriorated
P088B Transmission Fluid Filter Very Deteriorated
P0893 Multiple Gears Engaged
P0894 Transmission Component Slipping
P0895 Shift Time Too Short
P0896 Shift Time Too Long
P0897 Transmission Fluid Deteriorated
P0898 Transmission Control System: MIL Request Circuit Low; MIL Request Circuit High
P0900 Clutch Actuator: $O4
P0904 Gate Select Position: $S5
P0909 Gate Select Control Error
P0910 Gate Select Actuator: $O4
P0914 Gear Shift Position: $S5
P0919 Gear Shift Position Control Error
P0920 Gear Shift Forward Actuator: $O4
P0924 Gear Shift Reverse Actuator: $O4
P0928 Gear Shift Lock Solenoid/Actuator: Control Circuit A/Open; Control Circuit A Range/Performance; Control Circuit A Low; Control Circuit A High
P092A Gear Shift Lock Solenoid/Actuator: Control Circuit B/Open; Control Circuit B Range/Performance; Control Circuit B Low; Control Circuit B High
P0932 Hydraulic Pressure Sensor: $S5
P0937 Hydraulic Oil Temperature Sensor: $S5
P0942 Hydraulic Pressure Unit: -; Cycling Period Too Short; Loss of Pressure
P0945 Hydraulic Pump Relay: $O4
P0949 Auto Shift Manual Adaptive Learning Not Complete
P0950 Auto Shift Manual Control: $S5
P0955 Auto Shift Manual Mode: $S5
P0960 Pressure Control Solenoid A: $C4
P0964 Pressure Control Solenoid B: $C4
P0968 Pressure Control Solenoid C: $C4
P0972 Shift Solenoid A: $R3
P0975 Shift Solenoid B: $R3
P0978 Shift Solenoid C: $R3
P0981 Shift Solenoid D: $R3
P0984 Shift Solenoid E: $R3
P0987 Transmission Fluid Pressure Sensor/Switch E: $S5
P0992 Transmission Fluid Pressure Sensor/Switch F: $S5
P0997 Shift Solenoid F: $R3
P099A Shift Solenoid G: $R3
P099D Shift Solenoid H: $R3
P0A00 Motor Electronics Coolant Temperature Sensor: $S5
P0A05 Motor Electronics Coolant Pump A: $C3
P0A08 DC/DC Converter Status: Circuit; Circuit Low Input
P0A0A High Voltage System Interlock Circuit: -; Performance; Low; High; Intermittent
P0A0F Engine Failed to Start
P0A10 DC/DC Converter Status: Circuit High Input
P0A11 DC/DC Converter Enable: $O3
P0A14 Engine Mount A Control: $O3
P0A17 Motor Torque Sensor: Circuit; Circuit Range/Performance; Circuit Low
P0A1A Generator Control Module
P0A1B Drive Motor A Control Module
P0A1C Drive Motor B Control Module
P0A1D Hybrid Powertrain Control Module
P0A1E Starter/Generator Control Module
P0A1F Battery Energy Control Module
P0A20 Motor Torque Sensor: Circuit High; Circuit Intermittent
P0A22 Generator Torque Sensor: $S5
P0A27 Battery Power Off: Circuit; Circuit Low; Circuit High
P0A2A Drive Motor A Temperature Sensor: $S5
P0A2F Drive Motor A Over Temperature
P0A30 Drive Motor B Temperature Sensor: $S5
P0A35 Drive Motor B Over Temperature
P0A36 Generator Temperature Sensor: $S5
P0A3B Generator Over Temperature
P0A3C Drive Motor A Inverter Over Temperature
P0A3D Drive Motor B Inverter Over Temperature
P0A3E Generator Inverter Over Temperature
P0A3F Drive Motor A Position Sensor: $S5; Circuit Overspeed
P0A45 Drive Motor B Position Sensor: $S5; Circuit Overspeed
P0A4B Generator Position Sensor: $S5; Circuit Overspeed
P0A51 Drive Motor A Current Sensor: $S4
P0A55 Drive Motor B Current Sensor: $S4
P0A59 Generator Current Sensor: $S4
P0A5D Drive Motor A Phase U Current: -; Low; High
P0A60 Drive Motor A Phase V Current: -; Low; High
P0A63 Drive Motor A Phase W Current: -; Low; High
P0A66 Drive Motor B Phase U Current: -; Low; High
P0A69 Drive Motor B Phase V Current: -; Low; High
P0A6C Drive Motor B Phase W Current: -; Low; High
P0A6F Generator Phase U Current: -; Low; High
P0A72 Generator Phase V Current: -; Low; High
P0A75 Generator Phase W Current: -; Low; High
P0A78 Drive Motor A Inverter Performance
P0A79 Drive Motor B Inverter Performance
P0A7A Generator Inverter Performance
P0A7B Battery Energy Control Module Requested MIL Illumination
P0A7E Hybrid Battery Pack Over Temperature
P0A7F Hybrid Battery Pack Deterioration
P0A80 Replace Hybrid Battery Pack
P0A7C Motor Electronics Over Temperature
P0A7D Hybrid Battery Pack State of Charge Low
P0A81 Hybrid Battery Pack Cooling Fan 1: $FAN
P0A86 14 Volt Power Module Current Sensor: $S5
P0A8B 14 Volt Power Module System Voltage: $VOLT
P0A8F 14 Volt Power Module System: Performance
P0A96 Hybrid Battery Pack Cooling Fan 2: $FAN
P0A9B Hybrid Battery Temperature Sensor A: $S5
P0AA7 Hybrid Battery Voltage Isolation Sensor: $S5
P0AAC Hybrid Battery Pack Air Temperature Sensor A: $S5
P0AB1 Hybrid Battery Pack Air Temperature Sensor B: $S5
P0AB6 Engine Mount B Control: $O3
P0AB9 Hybrid System Performance
P0ABA Hybrid Battery Pack Voltage Sense A: $S5
P0A90 Drive Motor A Performance
P0A91 Drive Motor B Performance
P0A92 Hybrid Generator Performance
P0A93 Inverter A Cooling System Performance
P0A94 DC/DC Converter Performance
P0A95 High Voltage Fuse
P0AA0 Hybrid Battery Positive Contactor Circuit: -; Stuck Closed; Stuck Open
P0AA3 Hybrid Battery Negative Contactor Circuit: -; Stuck Closed; Stuck Open
P0AA6 Hybrid Battery Voltage System Isolation Fault
P0ABF Hybrid Battery Pack Current Sensor A: $S5
P0AC4 Hybrid Powertrain Control Module Requested MIL Illumination
P0AC5 Hybrid Battery Temperature Sensor B: $S5
P0ACA Hybrid Battery Temperature Sensor C: $S5
P0ACF Hybrid Battery Pack Cooling Fan 3: $FAN
P0AD4 Hybrid Battery Pack Air Flow System Insufficient Air Flow
P0AD5 Hybrid Battery Pack Air Flow Valve A: $C4
P0AD9 Hybrid Battery Positive Contactor: $C4
P0ADD Hybrid Battery Negative Contactor: $C4
P0AE1 Hybrid Battery Precharge Contactor Circuit: -; Stuck Closed; Stuck Open
P0AE4 Hybrid Battery Precharge Contactor: $C4
P0AE8 Hybrid Battery Temperature Sensor D: $S5
P0AED Drive Motor Inverter Temperature Sensor A: $S5
P0AF2 Drive Motor Inverter Temperature Sensor B: $S5
P0AF7 14 Volt Power Module Internal Temperature Too High
P0AF8 Hybrid Battery System Voltage: $VOLT
P0AFC Hybrid Battery Pack Sensor Module
P0AFD Hybrid Battery Pack Temperature Too Low
P0AFE Hybrid Battery System Voltage Too Low for Voltage Step Up Conversion
P0AFF System Voltage Too Low for Voltage Step Down Conversion
P0B00 Auxiliary Transmission Fluid Pump Motor Phase U Current: -; Low; High
P0B03 Auxiliary Transmission Fluid Pump Motor Phase V Current: -; Low; High
P0B06 Auxiliary Transmission Fluid Pump Motor Phase W Current: -; Low; High
P0B09 Auxiliary Transmission Fluid Pump Motor Supply Voltage: $O3
P0B0C Auxiliary Transmission Fluid Pump Hydraulic Leakage
P0B0D Auxiliary Transmission Fluid Pump Motor Control Module
P0B0E Hybrid Battery Pack Current Sensor B: $S5
P0B13 Hybrid Battery Pack Current Sensor A/B: Correlation
P0B14 Hybrid Battery Pack Voltage Sense B: $S5
P0B19 Hybrid Battery Pack Voltage Sense C: $S5
P0B1E Hybrid Battery Pack Voltage Sense D: $S5
P0B23 Hybrid Battery A Voltage: $VOLT
P0B27 Hybrid Battery B Voltage: $VOLT
P0B2B Hybrid Battery C Voltage: $VOLT
P0B2F Hybrid Battery D Voltage: $VOLT
P0B33 High Voltage Service Disconnect Circuit: -; Performance; Low; High
P0B37 High Voltage Service Disconnect Circuit: Open
P0B38 Motor Electronics Coolant Pump B: $C3
%VOLTAGESENSE
P0BBD Hybrid Battery Pack Voltage Variation: Exceeded Limit
P0BBE Hybrid Battery Pack Voltage Variation
P0BBF Hybrid Battery Pack Cooling Fan Supply Voltage: $O3
P0BC2 Hybrid Battery Temperature Sensor E: $S5
P0BC7 Hybrid Battery Pack Cooling Fan 1 Sense: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P0BCC Generator Inverter Temperature Sensor A: $S5
P0BD1 Drive Motor Inverter Temperature Sensor C: $S5
P0BD6 Drive Motor Inverter Temperature Sensor D: $S5
P0BDB Drive Motor Inverter Temperature Sensor E: $S5
P0BE0 Drive Motor Inverter Temperature Sensor F: $S5
P0BE5 Drive Motor A Phase U Current Sensor: $S4
P0BE9 Drive Motor A Phase V Current Sensor: $S4
P0BED Drive Motor A Phase W Current Sensor: $S4
P0BF1 Drive Motor B Phase U Current Sensor: $S4
P0BF5 Drive Motor B Phase V Current Sensor: $S4
P0BF9 Drive Motor B Phase W Current Sensor: $S4
P0BFD Drive Motor A Phase U-V-W Current Sensor: Correlation
P0BFE Drive Motor B Phase U-V-W Current Sensor: Correlation
P0BFF Drive Motor A Current: -; Low; High
P0C02 Drive Motor B Current: -; Low; High
P0C05 Drive Motor A Phase U-V-W: $O3
P0C08 Drive Motor B Phase U-V-W: $O3
P0C0B Drive Motor A Inverter Power Supply: $O3
P0C0E Drive Motor B Inverter Power Supply: $O3
P0C11 Drive Motor A Inverter Phase U Over Temperature
P0C12 Drive Motor A Inverter Phase V Over Temperature
P0C13 Drive Motor A Inverter Phase W Over Temperature
P0C14 Drive Motor B Inverter Phase U Over Temperature
P0C15 Drive Motor B Inverter Phase V Over Temperature
P0C16 Drive Motor B Inverter Phase W Over Temperature
P0C17 Drive Motor A Position Sensor: Not Learned
P0C18 Drive Motor B Position Sensor: Not Learned
P0C19 Drive Motor A Torque Delivered Performance
P0C1A Drive Motor B Torque Delivered Performance
P0C1B Auxiliary Transmission Fluid Pump Control Module: Internal Temperature Too High
P0C1C Auxiliary Transmission Fluid Pump Control Module Internal Temperature Sensor: $S4
P0C20 Auxiliary Transmission Fluid Pump Phase U-V-W: $O3
P0C23 Auxiliary Transmission Fluid Pump Control Module: $O3
P0C26 Auxiliary Transmission Fluid Pump Motor Current: -; Low; High
P0C29 Auxiliary Transmission Fluid Pump Driver Circuit Performance
P0C2A Auxiliary Transmission Fluid Pump Motor Stalled
P0C2B Auxiliary Transmission Fluid Pump Control Module Feedback Signal: -; Range/Performance; Low; High
P0C2F Internal Control Module: Drive Motor/Generator - Engine Speed Sensor Performance
P0C30 Hybrid Battery Pack State of Charge High
P0C31 Inverter B Cooling System Performance
P0C32 Hybrid Battery Cooling System Performance
P0C33 Hybrid Battery Temperature Sensor F: $S5
P0C38 DC/DC Converter Temperature Sensor A: Circuit; Range/Performance; Low; High; Intermittent
P0C3D DC/DC Converter Temperature Sensor B: Circuit; Range/Performance; Low; High; Intermittent
P0C42 Hybrid Battery Pack Coolant Temperature Sensor A: $S5
P0C47 Hybrid Battery Pack Coolant Pump A: $C3; Control Performance
P0C4B Hybrid Battery Pack Coolant Pump A Supply Voltage: $O3
P0C4E Drive Motor A Position Exceeded Learning Limit
P0C4F Drive Motor B Position Exceeded Learning Limit
P0C50 Drive Motor A Position Sensor Circuit A: -; Range/Performance; Low; High; Intermittent
P0C55 Drive Motor B Position Sensor Circuit A: -; Range/Performance; Low; High; Intermittent
P0C5A Drive Motor A Position Sensor Circuit B: -; Range/Performance; Low; High; Intermittent
P0C5F Drive Motor B Position Sensor Circuit B: -; Range/Performance; Low; High; Intermittent
P0C64 Generator Position Sensor Circuit A: -; Range/Performance; Low; High; Intermittent
P0C69 Generator Position Sensor Circuit B: -; Range/Performance; Low; High; Intermittent
P0C6E Hybrid Battery Temperature Sensor A/B: Correlation
P0C6F Hybrid Battery Temperature Sensor B/C: Correlation
P0C70 Hybrid Battery Temperature Sensor C/D: Correlation
P0C71 Hybrid Battery Temperature Sensor D/E: Correlation
P0C72 Hybrid Battery Temperature Sensor E/F: Correlation
P0C73 Motor Electronics Coolant Pump A: Control Performance
P0C74 Motor Electronics Coolant Pump B: Control Performance
P0C75 Hybrid Battery System Discharge Time: Too Short; Too Long
P0C77 Hybrid Battery System Precharge Time: Too Short; Too Long
P0C79 Drive Motor A Inverter Voltage Too High
P0C7A Drive Motor B Inverter Voltage Too High
P0C7B Generator Inverter Voltage Too High
P0C7C Hybrid Battery Temperature Sensor G: $S5
P0C81 Hybrid Battery Temperature Sensor H: $S5
P0C86 Hybrid Battery Temperature Sensor F/G: Correlation
P0C87 Hybrid Battery Temperature Sensor G/H: Correlation
P0C88 Hybrid Battery Temperature Sensor I: $S5
P0C8D Hybrid Battery Temperature Sensor J: $S5
P0C92 Hybrid Battery Temperature Sensor K: $S5
P0C97 Hybrid Battery Temperature Sensor L: $S5
P0C9C 14 Volt Power Module Current Sensor B: $S5
P0CA1 Drive Motor Control Module Requested MIL Illumination
P0CA2 DC/DC Converter Step Down Voltage Performance
P0CA3 DC/DC Converter Step Up Voltage Performance
P0CA4 Hybrid Battery Charging Voltage High
P0CA5 Hybrid Battery Discharging Voltage High
P0CA6 Hybrid Battery Charging Current High
P0CA7 Hybrid Battery Discharging Current High
P0CA8 Hybrid Battery Temperature Sensor M: $S5
P0CAD Hybrid Battery Temperature Sensor N: $S5
P0CB2 Hybrid Battery Temperature Sensor O: $S5
P0CB7 Hybrid Battery Temperature Sensor P: $S5
P0CBC Drive Motor A Coolant Temperature Sensor: $S5
P0CC1 Drive Motor A Coolant Pump: $C4
P0CC5 14 Volt Power Module Current Sensor A/B: Correlation
P0CD5 Hybrid Battery Pack Coolant Temperature Sensor B: $S5
P0CDA Drive Motor A Position Sensor Circuit C: -; Range/Performance; Low; High; Intermittent
P0CDF Hybrid Battery Pack Coolant Control Valve A: $FAN
P0CE4 Hybrid Battery Pack Coolant Control Valve Position Sensor: $S5
P0CF3 Control Pilot: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P0CF8 Control Pilot Charging Switch A: Circuit/Open
P0CFA Control Pilot Charging Switch A: Circuit Low; Circuit High; Intermittent/Erratic; Stuck Off
P0D1A Hybrid Battery Pack Coolant Control Valve B: $FAN
P0D27 Battery Charger Input Voltage Too Low
P0D28 Battery Charger Input Voltage Too High
P0D29 Battery Charger Input Current Too Low
P0D2A Battery Charger Input Current Too High
P0D34 Hybrid Battery System Current: $VOLT
P0D38 Battery Charger Input Current Sensor: $S5
P0D3D Battery Charger Input Voltage Sensor: $S5
P0D42 Battery Charger 14 Volt Output Voltage Sensor: $S5
P0D47 Battery Charger 14 Volt Output Current Sensor: $S5
P0D4C Battery Charger Hybrid Battery Output Voltage Sensor: $S5
P0D51 Battery Charger Hybrid Battery Output Current Sensor: $S5
P0D56 Proximity Detection Circuit: -; Range/Performance; Low; High; Intermittent
P0D5F Hybrid Battery Pack Cooling Fan 2 Sense: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P0D64 Hybrid Battery Pack Cooling Fan Enable: $O3
P0D80 Battery Charger Input: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P0D99 Battery Charger Coupler Temperature Sensor A: $S5
P0DAA Battery Charging System Isolation Fault
P0DAB Hybrid Battery Cell Balancing Performance
%CELLBALANCING
P0DE6 Hybrid Battery Pack Cell Voltage: Low; High
P0DE8 Hybrid Battery Pack Coolant Control Valve C: $FAN
P0DED Pedestrian Alert Control Module: $O3
P2000 NOx Trap: Efficiency Below Threshold @B1
P2001 NOx Trap: Efficiency Below Threshold @B2
P2002 Diesel Particulate Filter: Efficiency Below Threshold @B1
P2003 Diesel Particulate Filter: Efficiency Below Threshold @B2
P2004 Intake Manifold Runner Control: Stuck Open @B1
P2005 Intake Manifold Runner Control: Stuck Open @B2
P2006 Intake Manifold Runner Control: Stuck Closed @B1
P2007 Intake Manifold Runner Control: Stuck Closed @B2
P2008 Intake Manifold Runner Control: $O3 @B1
P200A Intake Manifold Runner: Performance @B1
P200B Intake Manifold Runner: Performance @B2
P200C Diesel Particulate Filter: Over Temperature @B1
P200D Diesel Particulate Filter: Over Temperature @B2
P200E Catalyst System: Over Temperature @B1
P200F Catalyst System: Over Temperature @B2
P2011 Intake Manifold Runner Control: $O3 @B2
P2014 Intake Manifold Runner Position Sensor/Switch: $S5 @B1
P2019 Intake Manifold Runner Position Sensor/Switch: $S5 @B2
P201A Reductant Injector: Circuit Range/Performance @B2U1
P2024 Evaporative Emission System Fuel Vapor Temperature Sensor: Circuit; Performance; Circuit Low Voltage; Circuit High Voltage; Circuit Intermittent
P2029 Fuel Fired Heater: Disabled; Performance
P202A Reductant Tank Heater: $C3
P202D Reductant Leakage
P202E Reductant Injector: Circuit Range/Performance @B1U1
P202F Reductant Supply: Control Circuit Range/Performance
P2031 Exhaust Gas Temperature Sensor: Circuit; Circuit Low; Circuit High @B1S2
P2034 Exhaust Gas Temperature Sensor: Circuit; Circuit Low; Circuit High @B2S2
P2037 Reductant Injection Air Pressure Sensor A: $S5
P203A Reductant Level Sensor: $S5E
P203F Reductant Level Too Low
P2042 Reductant Temperature Sensor: $S5
P2047 Reductant Injector: $O3 @B1U1
P204A Reductant Pressure Sensor: $S5E
P204F Reductant System: Performance @B1
P2050 Reductant Injector: $O3 @B2U1
P2053 Reductant Injector: $O3 @B1U2
P2056 Reductant Injector: $O3 @B2U2
P2059 Reductant Injection Air Pump: $C3
P205A Reductant Tank Temperature Sensor: $S5E
P205F Reductant System: Performance @B2
P2062 Reductant Supply: $C3
P2065 Fuel Level Sensor B: Circuit; Performance; Circuit Low; Circuit High; Circuit Intermittent
P206A Reductant Quality Sensor: $S4
P206E Intake Manifold Tuning Valve: Stuck Open; Stuck Closed @B2
P2070 Intake Manifold Tuning Valve: Stuck Open; Stuck Closed @B1
P2072 Throttle Actuator Control System: Ice Blockage
P2073 MAP/MAF - Throttle Position Correlation: at Idle; at Higher Load
P2075 Intake Manifold Tuning Valve Position Sensor/Switch: $S5 @B1
P207A Intake Manifold Tuning Valve Position Sensor/Switch: $S5 @B2
P207F Reductant Quality: Performance
P2080 Exhaust Gas Temperature Sensor: Circuit Range/Performance; Circuit Intermittent @B1S1
P2082 Exhaust Gas Temperature Sensor: Circuit Range/Performance; Circuit Intermittent @B2S1
P2084 Exhaust Gas Temperature Sensor: Circuit Range/Performance; Circuit Intermittent @B1S2
P2086 Exhaust Gas Temperature Sensor: Circuit Range/Performance; Circuit Intermittent @B2S2
P2088 Camshaft Position Actuator A: Control Circuit Low; Control Circuit High @B1
P208A Reductant Pump: Control Circuit/Open; Control Range/Performance; Control Circuit Low; Control Circuit High
P208E Reductant Injector: Stuck Closed @B1U1
P208F Reductant Injector: Stuck Closed @B2U1
P2090 Camshaft Position Actuator B: Control Circuit Low; Control Circuit High @B1
P2092 Camshaft Position Actuator A: Control Circuit Low; Control Circuit High @B2
P2094 Camshaft Position Actuator B: Control Circuit Low; Control Circuit High @B2
P2096 Post Catalyst Fuel Trim System: Too Lean; Too Rich @B1
P2098 Post Catalyst Fuel Trim System: Too Lean; Too Rich @B2
P209A Reductant Injection Air Pressure Sensor B: $S4
P209E Reductant Injection Air Pressure Sensor A/B: Correlation
P209F Reductant Tank Heater: Control Circuit Performance
P20A0 Reductant Purge Control Valve: $O4PS
P20A6 Reductant Injection Air Pressure Control Valve: $O4PS
P20AC Reductant Metering Unit Temperature Sensor: $S5E
P20B1 Reductant Heater Coolant Control Valve: $O4P
P20B5 Reductant Metering Unit Heater: $C4P
P20B9 Reductant Heater A: $C4P
P20BD Reductant Heater B: $C4P
P20C1 Reductant Heater C: $C4P
P20C5 Reductant Heater D: $C4P
P20C9 Reductant Control Module Requested MIL Illumination
P20CA Reductant Injection Air Pressure Leakage
P20CB Exhaust Aftertreatment Fuel Injector A: Control Circuit/Open; Control Performance; Control Circuit Low; Control Circuit High; Stuck Open; Stuck Closed
P20D1 Exhaust Aftertreatment Fuel Injector B: Control Circuit/Open; Control Performance; Control Circuit Low; Control Circuit High; Stuck Open; Stuck Closed
P20D7 Exhaust Aftertreatment Fuel Supply: Control Circuit/Open; Control Performance; Control Circuit Low; Control Circuit High; Control Stuck Open; Control Stuck Closed
P20DD Exhaust Aftertreatment Fuel Pressure Sensor: $S5E
P20E2 Exhaust Gas Temperature Sensor 1/2: Correlation @B1
P20E3 Exhaust Gas Temperature Sensor 1/3: Correlation @B1
P20E4 Exhaust Gas Temperature Sensor 2/3: Correlation @B1
P20E5 Exhaust Gas Temperature Sensor 1/2: Correlation @B2
P20E6 Reductant Injection Air Pressure: Too Low; Too High
P20E8 Reductant Pressure: Too Low; Too High
P20EA Reductant Control Module Power Relay: De-Energized Performance - Too Early; De-Energized Performance - Too Late
P20EC SCR NOx Catalyst: Over Temperature @B1
P20ED SCR NOx Pre-Catalyst: Over Temperature @B1
P20EE SCR NOx Catalyst: Efficiency Below Threshold @B1
P20EF SCR NOx Pre-Catalyst: Efficiency Below Threshold @B1
P20F0 SCR NOx Catalyst: Over Temperature @B2
P20F1 SCR NOx Pre-Catalyst: Over Temperature @B2
P20F2 SCR NOx Catalyst: Efficiency Below Threshold @B2
P20F3 SCR NOx Pre-Catalyst: Efficiency Below Threshold @B2
P20F4 Reductant Consumption Too Low
P20F5 Reductant Consumption Too High
P20F6 Reductant Injector: Stuck Open @B1U1
P20F7 Reductant Injector: Stuck Open @B2U1
P2100 Throttle Actuator A Control Motor: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High
P2104 Throttle Actuator Control System: Forced Idle; Forced Engine Shutdown; Forced Limited Power
P2107 Throttle Actuator Control Module: Processor; Performance
P2109 Throttle/Pedal Position Sensor/Switch A: Minimum Stop Performance
P210A Throttle Actuator B Control Motor: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High
P210E Throttle/Pedal Position Sensor/Switch C/F: Voltage Correlation
P2110 Throttle Actuator Control System: Forced Limited RPM; Stuck Open; Stuck Closed
P2113 Throttle/Pedal Position Sensor/Switch B: Minimum Stop Performance
P2114 Throttle/Pedal Position Sensor/Switch C: Minimum Stop Performance
P2115 Throttle/Pedal Position Sensor/Switch D: Minimum Stop Performance
P2116 Throttle/Pedal Position Sensor/Switch E: Minimum Stop Performance
P2117 Throttle/Pedal Position Sensor/Switch F: Minimum Stop Performance
P2118 Throttle Actuator Control Motor: Current Range/Performance
P2119 Throttle Actuator Control Throttle Body: Range/Performance
P2120 Throttle/Pedal Position Sensor/Switch D: $S5
P2125 Throttle/Pedal Position Sensor/Switch E: $S5
P212A Throttle Position Sensor/Switch G: $S5
P2130 Throttle/Pedal Position Sensor/Switch F: $S5
P2135 Throttle/Pedal Position Sensor/Switch A/B: Voltage Correlation
P2136 Throttle/Pedal Position Sensor/Switch A/C: Voltage Correlation
P2137 Throttle/Pedal Position Sensor/Switch B/C: Voltage Correlation
P2138 Throttle/Pedal Position Sensor/Switch D/E: Voltage Correlation
P2139 Throttle/Pedal Position Sensor/Switch D/F: Voltage Correlation
P213A Exhaust Gas Recirculation Throttle: Control Circuit B/Open; Control Circuit B Range/Performance; Control Circuit B Low; Control Circuit B High
P213E Fuel Injection System Fault - Forced Engine Shutdown
P213F Fuel Pump System Fault - Forced Engine Shutdown
P2140 Throttle/Pedal Position Sensor/Switch E/F: Voltage Correlation
P2141 Exhaust Gas Recirculation Throttle: Control Circuit A Low; Control Circuit A High
P2143 Exhaust Gas Recirculation Vent: $C3
P2146 Fuel Injector Group A Supply Voltage: $O3
P2149 Fuel Injector Group B Supply Voltage: $O3
P2152 Fuel Injector Group C Supply Voltage: $O3
P2155 Fuel Injector Group D Supply Voltage: $O3
P2158 Vehicle Speed Sensor B: -; Range/Performance; Circuit Low Input; Intermittent/Erratic/High
P215A Vehicle Speed - Wheel Speed Correlation
P215B Vehicle Speed - Output Shaft Speed Correlation
P215C Output Shaft Speed - Wheel Speed Correlation
P2162 Vehicle Speed Sensor A/B: Correlation
P2163 Throttle/Pedal Position Sensor/Switch A: Maximum Stop Performance
P2164 Throttle/Pedal Position Sensor/Switch B: Maximum Stop Performance
P2165 Throttle/Pedal Position Sensor/Switch C: Maximum Stop Performance
P2166 Throttle/Pedal Position Sensor/Switch D: Maximum Stop Performance
P2167 Throttle/Pedal Position Sensor/Switch E: Maximum Stop Performance
P2168 Throttle/Pedal Position Sensor/Switch F: Maximum Stop Performance
P2169 Exhaust Pressure Regulator Vent Solenoid: $C3
P216A Fuel Injector Group E Supply Voltage: $O3
P216D Fuel Injector Group F Supply Voltage: $O3
P2172 Throttle Actuator Control System: Sudden High Airflow Detected; High Airflow Detected; Sudden Low Airflow Detected; Low Airflow Detected; Idle Position Not Learned
P2177 System Too Lean: Off Idle @B1
P2178 System Too Rich: Off Idle @B1
P2179 System Too Lean: Off Idle @B2
P217A Fuel Injector Group G Supply Voltage: $O3
P217D Fuel Injector Group H Supply Voltage: $O3
P2180 System Too Rich: Off Idle @B2
P2181 Cooling System: Performance
P2182 Engine Coolant Temperature Sensor 2: $S5
P2187 System Too Lean: at Idle @B1
P2188 System Too Rich: at Idle @B1
P2189 System Too Lean: at Idle @B2
P2190 System Too Rich: at Idle @B2
P2191 System Too Lean: at Higher Load @B1
P2192 System Too Rich: at Higher Load @B1
P2193 System Too Lean: at Higher Load @B2
P2194 System Too Rich: at Higher Load @B2
P2195 O2 Sensor Signal: Stuck Lean; Stuck Rich @B1S1
P2197 O2 Sensor Signal: Stuck Lean; Stuck Rich @B2S1
P2199 Intake Air Temperature Sensor 1/2: Correlation
P2200 NOx Sensor: $S5 @B1
P2205 NOx Sensor Heater: $C3 @B1
P2208 NOx Sensor Heater Sense: $S5 @B1
P2213 NOx Sensor: $S5 @B2
P2218 NOx Sensor Heater: $C3 @B2
P2221 NOx Sensor Heater Sense: $S5 @B2
P2226 Barometric Pressure Sensor A: $S5
P222A Barometric Pressure Sensor B: $S5E
P222F Barometric Pressure Sensor A/B: Correlation
P2231 O2 Sensor Signal Circuit Shorted to Heater Circuit @B1S1
P2232 O2 Sensor Signal Circuit Shorted to Heater Circuit @B1S2
P2233 O2 Sensor Signal Circuit Shorted to Heater Circuit @B1S3
P2234 O2 Sensor Signal Circuit Shorted to Heater Circuit @B2S1
P2235 O2 Sensor Signal Circuit Shorted to Heater Circuit @B2S2
P2236 O2 Sensor Signal Circuit Shorted to Heater Circuit @B2S3
P2237 O2 Sensor Positive Current Control: $O3 @B1S1
P2240 O2 Sensor Positive Current Control: $O3 @B2S1
P2243 O2 Sensor Reference Voltage: Circuit/Open; Performance; Circuit Low; Circuit High @B1S1
P2247 O2 Sensor Reference Voltage: Circuit/Open; Performance; Circuit Low; Circuit High @B2S1
P2251 O2 Sensor Negative Current Control: $O3 @B1S1
P2254 O2 Sensor Negative Current Control: $O3 @B2S1
P2257 Secondary Air Injection System Control A: Circuit Low; Circuit High
P2259 Secondary Air Injection System Control B: Circuit Low; Circuit High
P2261 Turbocharger/Supercharger Bypass Valve: Mechanical
P2262 Turbocharger/Supercharger Boost Pressure Not Detected: Mechanical
P2263 Turbocharger/Supercharger Boost System: Performance
P2264 Water in Fuel Sensor: $S5
P2269 Water in Fuel Condition
P226A Water in Fuel Lamp: Control Circuit
P226B Turbocharger/Supercharger Boost Pressure Too High: Mechanical
P2270 O2 Sensor Signal: Stuck Lean; Stuck Rich @B1S2
P2272 O2 Sensor Signal: Stuck Lean; Stuck Rich @B2S2
P2274 O2 Sensor Signal: Stuck Lean; Stuck Rich @B1S3
P2276 O2 Sensor Signal: Stuck Lean; Stuck Rich @B2S3
P2278 O2 Sensor Signals Swapped @B1S3/B2S3
P2279 Intake Air System Leak
P2280 Air Flow Restriction/Air Leak Between Air Filter and MAF
P2281 Air Leak Between MAF and Throttle Body
P2282 Air Leak Between Throttle Body and Intake Valves
P2283 Injector Control Pressure Sensor: $S5
P2288 Injector Control Pressure: Too High; Too High - Engine Off; Too Low; Too Low - Engine Cranking; Erratic
P228A Fuel Pressure Regulator 1: Forced Engine Shutdown
P228B Fuel Pressure Regulator 2: Forced Engine Shutdown
P228C Fuel Pressure Regulator 1: Exceeded Control Limits - Pressure Too Low; Exceeded Control Limits - Pressure Too High; Exceeded Learning Limits - Too Low; Exceeded Learning Limits - Too High
P2293 Fuel Pressure Regulator 2: Performance; Control Circuit; Control Circuit Low; Control Circuit High
P2297 O2 Sensor: Out of Range During Deceleration @B1S1
P2298 O2 Sensor: Out of Range During Deceleration @B2S1
P2299 Brake Pedal Position/Accelerator Pedal Position Incompatible
%COILS2
%KNOCK
P229A Fuel Pressure Regulator 2: Exceeded Control Limits - Pressure Too Low; Exceeded Control Limits - Pressure Too High; Exceeded Learning Limits - Too Low; Exceeded Learning Limits - Too High
P2400 Evaporative Emission System Leak Detection Pump: $C3
P2403 Evaporative Emission System Leak Detection Pump: Sense Circuit/Open; Sense Circuit Range/Performance; Sense Circuit Low; Sense Circuit High; Sense Circuit Intermittent/Erratic
P2408 Fuel Cap Sensor/Switch: $S5
P240A Evaporative Emission System Leak Detection Pump Heater: $C3
P2413 Exhaust Gas Recirculation System: Performance
P2414 O2 Sensor Exhaust Sample Error @B1S1
P2415 O2 Sensor Exhaust Sample Error @B2S1
P2416 O2 Sensor Signals Swapped @B1S2/B1S3
P2417 O2 Sensor Signals Swapped @B2S2/B2S3
P2418 Evaporative Emission System Switching Valve: $C3
P2421 Evaporative Emission System Vent Valve: Stuck Open; Stuck Closed
P2423 HC Adsorption Catalyst: Efficiency Below Threshold @B1
P2424 HC Adsorption Catalyst: Efficiency Below Threshold @B2
P2425 Exhaust Gas Recirculation Cooling Valve: $C3
P2428 Exhaust Gas Temperature Too High @B1
P2429 Exhaust Gas Temperature Too High @B2
P242A Exhaust Gas Temperature Sensor: $S5E @B1S3
P242F Diesel Particulate Filter Restriction - Ash Accumulation
P2430 Secondary Air Injection System Air Flow/Pressure Sensor: $S5 @B1
P2435 Secondary Air Injection System Air Flow/Pressure Sensor: $S5 @B2
P2440 Secondary Air Injection System Switching Valve: Stuck Open; Stuck Closed @B1
P2442 Secondary Air Injection System Switching Valve: Stuck Open; Stuck Closed @B2
P2444 Secondary Air Injection System Pump: Stuck On; Stuck Off @B1
P2446 Secondary Air Injection System Pump: Stuck On; Stuck Off @B2
P2448 Secondary Air Injection System: High Airflow @B1
P2449 Secondary Air Injection System: High Airflow @B2
P244A Diesel Particulate Filter Differential Pressure: Too Low; Too High @B1
P244C Exhaust Temperature Too Low for Particulate Filter Regeneration @B1
P244D Exhaust Temperature Too High for Particulate Filter Regeneration @B1
P244E Exhaust Temperature Too Low for Particulate Filter Regeneration @B2
P244F Exhaust Temperature Too High for Particulate Filter Regeneration @B2
P2450 Evaporative Emission System Switching Valve: Performance/Stuck Open; Stuck Closed
P2452 Diesel Particulate Filter Pressure Sensor A: $S5
P2457 Exhaust Gas Recirculation Cooling System: Performance
P2458 Diesel Particulate Filter Regeneration: Duration; Frequency
P245A Exhaust Gas Recirculation Cooler Bypass: $C4
P245E Diesel Particulate Filter Pressure Sensor B: Circuit; Circuit Range/Performance
P2460 Diesel Particulate Filter Pressure Sensor B: Circuit Low; Circuit High; Circuit Intermittent/Erratic
P2463 Diesel Particulate Filter Restriction - Soot Accumulation
P2464 Diesel Particulate Filter Differential Pressure: Too Low; Too High @B2
P2466 Exhaust Gas Temperature Sensor: $S4 @B2S3
P246A Exhaust Gas Temperature Sensor: Circuit Intermittent/Erratic @B2S3
P246B Vehicle Conditions Incorrect for Diesel Particulate Filter Regeneration
P246C Diesel Particulate Filter Restriction - Forced Limited Power
P246D Diesel Particulate Filter Pressure Sensor A/B: Correlation
P246E Exhaust Gas Temperature Sensor: $S4; Circuit Intermittent/Erratic @B1S4
P2473 Exhaust Gas Temperature Sensor: $S4; Circuit Intermittent/Erratic @B2S4
P2478 Exhaust Gas Temperature Out of Range @B1S1
P2479 Exhaust Gas Temperature Out of Range @B1S2
P247A Exhaust Gas Temperature Out of Range @B1S3
P247B Exhaust Gas Temperature Out of Range @B1S4
P247C Exhaust Gas Temperature Out of Range @B2S1
P247D Exhaust Gas Temperature Out of Range @B2S2
P247E Exhaust Gas Temperature Out of Range @B2S3
P247F Exhaust Gas Temperature Out of Range @B2S4
P2480 Exhaust Gas Temperature Sensor: Circuit/Open; Circuit Low; Circuit High; Circuit Range/Performance; Circuit Intermittent/Erratic @B1S5
P2485 Exhaust Gas Temperature Sensor: Circuit/Open; Circuit Low; Circuit High; Circuit Range/Performance; Circuit Intermittent/Erratic @B2S5
P2500 Generator Lamp/L Terminal: Circuit Low; Circuit High
P2502 Charging System Voltage: -; Low; High
P2505 ECM/PCM Power Input Signal: -; Range/Performance; Low; High; Intermittent
P250A Engine Oil Level Sensor: $S5E
P250F Engine Oil Level Too Low
P2510 ECM/PCM Power Relay Sense Circuit: Range/Performance; Intermittent
P2512 Event Data Recorder Request: $O3
P2515 A/C Refrigerant Pressure Sensor B: $S4
P2519 A/C Request A: Circuit; Circuit Low; Circuit High
P251A PTO Enable Switch: Circuit/Open; Circuit Low; Circuit High
P251D PTO Engine Shutdown: Circuit/Open; Circuit Low; Circuit High
P2522 A/C Request B: Circuit; Circuit Low; Circuit High
P2525 Vacuum Reservoir Pressure Sensor: $S5
P252A Engine Oil Quality Sensor: $S5E
P252F Engine Oil Level Too High
P2530 Ignition Switch Run Position: Circuit; Circuit Low; Circuit High
P2533 Ignition Switch Run/Start Position: Circuit; Circuit Low; Circuit High
P2536 Ignition Switch Accessory Position: Circuit; Circuit Low; Circuit High
P2539 Low Pressure Fuel System Sensor: $S5
P253A PTO Sense: Circuit/Open; Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent/Erratic
P253F Engine Oil Deteriorated
P2544 Torque Management Request Input Signal A: -; Range/Performance; Low; High
P2548 Torque Management Request Input Signal B: -; Range/Performance; Low; High
P254A PTO Speed Selector Sensor/Switch 1: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Circuit Intermittent/Erratic
P254F Engine Hood Switch: Circuit
P2552 Throttle/Fuel Inhibit: Circuit; Circuit Range/Performance; Circuit Low; Circuit High
P2556 Engine Coolant Level Sensor/Switch: $S4
P255A PTO Speed Selector Sensor/Switch 2: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Circuit Intermittent/Erratic
P255F A/C Request A: Circuit Range/Performance
P2560 Engine Coolant Level Low
P2561 A/C Control Module Requested MIL Illumination
P2562 Turbocharger Boost Control Position Sensor A: $S5
P2567 Direct Ozone Reduction Catalyst Temperature Sensor: $S5
P256A Engine Idle Speed Selector Sensor/Switch: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Circuit Intermittent/Erratic
P256F A/C Request B: Circuit Range/Performance
P2572 Direct Ozone Reduction Catalyst Deterioration Sensor: $S5
P2577 Direct Ozone Reduction Catalyst: Efficiency Below Threshold
P2578 Turbocharger Speed Sensor: $S5
P257A Vacuum Reservoir: $C3
P257D Engine Hood Switch: Circuit Range/Performance; Circuit Low; Circuit High
P2583 Cruise Control Front Distance Range Sensor Single Sensor or Center
P2584 Fuel Additive Control Module Requested MIL Illumination
P2585 Fuel Additive Control Module Warning Lamp Request
P2586 Turbocharger Boost Control Position Sensor B: Circuit; Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent/Erratic
P258A Vacuum Pump: Control Circuit/Open; Control Range/Performance; Control Circuit Low; Control Circuit High
P258E PTO Enable Switch: Performance
P258F Torque Management Request Output Signal
P2591 Cruise Control Front Distance Range Sensor Left
P2592 Cruise Control Front Distance Range Sensor Right
P2600 Coolant Pump A: $C4
P2604 Intake Air Heater A: Circuit Range/Performance; Circuit/Open
P2606 Intake Air Heater B: Circuit Range/Performance; Circuit Low; Circuit High
P2609 Intake Air Heater System: Performance
P260A PTO: $C3
P260D PTO Engaged Lamp: Control Circuit
P260E Diesel Particulate Filter Regeneration Lamp: Control Circuit
P260F Evaporative System Monitoring Processor Performance
P2610 ECM/PCM Internal Engine Off Timer Performance
P2611 A/C Refrigerant Distribution Valve: $C3
P2614 Camshaft Position Signal Output: $O3
P2617 Crankshaft Position Signal Output: $O3
P261A Coolant Pump B: $C4
P2620 Throttle Position Output: $O3
P2623 Injector Control Pressure Regulator: $O3
P2626 O2 Sensor Pumping Current Trim: $O3 @B1S1
P2629 O2 Sensor Pumping Current Trim: $O3 @B2S1
P2632 Fuel Pump B: $C3
P2635 Fuel Pump A: Low Flow/Performance
P2636 Fuel Pump B: Low Flow/Performance
P2637 Torque Management Feedback Signal A: -; Range/Performance; Low; High
P2641 Torque Management Feedback Signal B: -; Range/Performance; Low; High
P2645 Rocker Arm Actuator A: $ROCK @B1
P264A Rocker Arm Actuator A Position Sensor: $S5E @B1
P2650 Rocker Arm Actuator B: $ROCK @B1
P2655 Rocker Arm Actuator A: $ROCK @B2
P265A Rocker Arm Actuator B Position Sensor: $S5E @B1
P2660 Rocker Arm Actuator B: $ROCK @B2
P2665 Fuel Shutoff Valve B: $C3
P2668 Fuel Mode Indicator Lamp: Control Circuit
P2669 Actuator Supply Voltage B: $O3
P266A Rocker Arm Actuator A Position Sensor: $S5E @B2
P2672 Injection Pump Timing Offset
P2673 Injection Pump Timing Calibration Not Learned
P2674 Injection Pump Fuel Calibration Not Learned
P2675 Air Cleaner Inlet Control: $O3
P2678 Coolant Degassing Valve Control: $O3
P267A Rocker Arm Actuator B Position Sensor: $S5E @B2
P2681 Engine Coolant Bypass Valve Control: $O3
P2684 Actuator Supply Voltage C: $O3
P2687 Fuel Supply Heater Control: $O3
P268A Fuel Injector Calibration Not Learned/Programmed
P268B High Pressure Fuel Pump Calibration Not Learned/Programmed
P268C Cylinder 1: Injector Data Incompatible
P268D Cylinder 2: Injector Data Incompatible
P268E Cylinder 3: Injector Data Incompatible
P268F Cylinder 4: Injector Data Incompatible
P2690 Cylinder 5: Injector Data Incompatible
P2691 Cylinder 6: Injector Data Incompatible
P2692 Cylinder 7: Injector Data Incompatible
P2693 Cylinder 8: Injector Data Incompatible
P2694 Cylinder 9: Injector Data Incompatible
P2695 Cylinder 10: Injector Data Incompatible
P2697 Exhaust Aftertreatment Fuel Injector A: Circuit/Open; Performance; Circuit Low
P269A Exhaust Aftertreatment Fuel Injector A: Circuit High
P269B Exhaust Aftertreatment Glow Plug: Control Circuit/Open; Control Performance; Control Circuit Low; Control Circuit High; Circuit/Open; Performance; Circuit Low; Circuit High
P2700 Transmission Friction Element A: Apply Time Range/Performance
P2701 Transmission Friction Element B: Apply Time Range/Performance
P2702 Transmission Friction Element C: Apply Time Range/Performance
P2703 Transmission Friction Element D: Apply Time Range/Performance
P2704 Transmission Friction Element E: Apply Time Range/Performance
P2705 Transmission Friction Element F: Apply Time Range/Performance
P2706 Shift Solenoid F: $SOLN
P2711 Unexpected Mechanical Gear Disengagement
P2712 Hydraulic Power Unit Leakage
P2713 Pressure Control Solenoid D: $SOLN
P2718 Pressure Control Solenoid D: $C4
P2722 Pressure Control Solenoid E: $SOLN
P2727 Pressure Control Solenoid E: $C4
P2731 Pressure Control Solenoid F: $SOLN
P2736 Pressure Control Solenoid F: $C4
P273A Transmission Friction Element G: Apply Time Range/Performance
P273B Transmission Friction Element H: Apply Time Range/Performance
P2740 Transmission Fluid Temperature Sensor B: $S5
P2745 Intermediate Shaft Speed Sensor B: $N4
P2749 Intermediate Shaft Speed Sensor C: $N4
P2753 Transmission Fluid Cooler: $C3
P2756 Torque Converter Clutch Pressure Control Solenoid: $SOLN
P2761 Torque Converter Clutch Pressure Control Solenoid: Control Circuit/Open; Control Circuit Range/Performance
P2763 Torque Converter Clutch Pressure Control Solenoid: Control Circuit High; Control Circuit Low
P2765 Input/Turbine Speed Sensor B: $N4
P2769 Torque Converter Clutch: Circuit Low; Circuit High
P2771 Four Wheel Drive (4WD) Low Switch: $S4
P2775 Upshift Switch: Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P2779 Downshift Switch: Circuit Range/Performance; Circuit Low; Circuit High; Circuit Intermittent
P2783 Torque Converter: Temperature Too High
P2784 Input/Turbine Speed Sensor A/B: Correlation
P2785 Clutch Actuator: Temperature Too High
P2786 Gear Shift Actuator: Temperature Too High
P2787 Clutch: Temperature Too High
P2788 Auto Shift Manual Adaptive Learning at Limit
P2789 Clutch A: Adaptive Learning at Limit
P278A Kick Down Switch: $S5E
P278F Clutch B: Adaptive Learning at Limit
P2790 Gate Select Direction: Circuit; Circuit Low; Circuit High
P2793 Gear Shift Direction: Circuit; Circuit Low; Circuit High
P2796 Auxiliary Transmission Fluid Pump: Control Circuit; Performance; Control Circuit Low; Control Circuit High
P279A Transfer Case Gear High: Incorrect Ratio
P279B Transfer Case Gear Low: Incorrect Ratio
P279C Transfer Case Gear Neutral: Incorrect Ratio
P279D Four Wheel Drive (4WD) Range Signal: $S4
P2800 Transmission Range Sensor B: $S5
P2805 Transmission Range Sensor A/B: Correlation
P2806 Transmission Range Sensor Alignment
P2807 Pressure Control Solenoid G: $SOLN; $C4
P280A Transmission Range Sensor A: Circuit Not Learned
P280B Transmission Range Sensor B: Circuit Not Learned
P2816 Pressure Control Solenoid H: -; Performance or Stuck Off; Stuck On; Electrical
P281A Pressure Control Solenoid H: Intermittent; $C4
P281F Pressure Control Solenoid J
P2820 Pressure Control Solenoid J: Performance or Stuck Off; Stuck On; Electrical; Intermittent; $C4
P2828 Pressure Control Solenoid K: -; Performance or Stuck Off
P282A Pressure Control Solenoid K: Stuck On; Electrical; Intermittent; $C4
P2831 Shift Fork A Position: $S5
P2836 Shift Fork B Position: $S4
P283A Shift Fork B Position: Circuit Intermittent
P283B Shift Fork C Position: $S5
P2840 Shift Fork D Position: $S5
P2845 Shift Fork A Position Sensor: Incorrect Neutral Position Indicated
P2846 Shift Fork B Position Sensor: Incorrect Neutral Position Indicated
P2847 Shift Fork C Position Sensor: Incorrect Neutral Position Indicated
P2848 Shift Fork D Position Sensor: Incorrect Neutral Position Indicated
P2849 Shift Fork A: Stuck
P284A Shift Fork B: Stuck
P284B Shift Fork C: Stuck
P284C Shift Fork D: Stuck
P284D Shift Fork A: Unrequested Movement
P284E Shift Fork B: Unrequested Movement
P284F Shift Fork C: Unrequested Movement
P2850 Shift Fork D: Unrequested Movement
P2851 Shift Fork Position Sensor A/B: Correlation
P2852 Shift Fork Position Sensor C/D: Correlation
P2853 Clutch A Pressure: Discharge Performance
P2854 Clutch B Pressure: Discharge Performance
P2855 Clutch A Pressure: Charge Performance
P2856 Clutch B Pressure: Charge Performance
P2857 Clutch A Pressure: Engagement Performance
P2858 Clutch B Pressure: Engagement Performance
P2859 Clutch A Pressure: Disengagement Performance
P285A Clutch B Pressure: Disengagement Performance
P2A00 O2 Sensor: Circuit Range/Performance @B1S1
P2A01 O2 Sensor: Circuit Range/Performance @B1S2
P2A02 O2 Sensor: Circuit Range/Performance @B1S3
P2A03 O2 Sensor: Circuit Range/Performance @B2S1
P2A04 O2 Sensor: Circuit Range/Performance @B2S2
P2A05 O2 Sensor: Circuit Range/Performance @B2S3
P2A06 O2 Sensor: Negative Voltage @B1S1
P2A07 O2 Sensor: Negative Voltage @B1S2
P2A08 O2 Sensor: Negative Voltage @B1S3
P2A09 O2 Sensor: Negative Voltage @B2S1
P2A10 O2 Sensor: Negative Voltage @B2S2
P2A11 O2 Sensor: Negative Voltage @B2S3
P2BA7 NOx Exceedence - Empty Reagent Tank
P2BA8 NOx Exceedence - Interruption of Reagent Dosing Activity
P2BA9 NOx Exceedence - Insufficient Reagent Quality
P2BAA NOx Exceedence - Low Reagent Consumption
P2BAB NOx Exceedence - Incorrect EGR Flow
P2BAC NOx Exceedence - Deactivation of EGR
P2BAD NOx Exceedence - Root Cause Unknown
P2BAE NOx Exceedence - NOx Control Monitoring System
P3400 Cylinder Deactivation System @B1
%DEACT
P3497 Cylinder Deactivation System @B2
C0000 Vehicle Speed Information Circuit
C0001 TCS Control Channel A Valve 1
C0002 TCS Control Channel A Valve 2
C0003 TCS Control Channel B Valve 1
C0004 TCS Control Channel B Valve 2
C0010 Inlet Control @LF
C0011 Outlet Control @LF
C0012 Hydraulic Release Too Long @LF
C0014 Inlet Control @RF
C0015 Outlet Control @RF
C0016 Hydraulic Release Too Long @RF
C0018 Inlet Control @LR
C0019 Outlet Control @LR
C001A Hydraulic Release Too Long @LR
C001C Inlet Control @RR
C001D Outlet Control @RR
C001E Hydraulic Release Too Long @RR
C0020 ABS Pump Motor Control
C0021 Brake Booster: Performance
C0022 Brake Booster Solenoid
C0023 Stop Lamp Control
C0030 Tone Wheel @LF
C0031 Wheel Speed Sensor @LF
C0032 Wheel Speed Sensor Supply @LF
C0033 Tone Wheel @RF
C0034 Wheel Speed Sensor @RF
C0035 Wheel Speed Sensor Supply @RF
C0036 Tone Wheel @LR
C0037 Wheel Speed Sensor @LR
C0038 Wheel Speed Sensor Supply @LR
C0039 Tone Wheel @RR
C003A Wheel Speed Sensor @RR
C003B Wheel Speed Sensor Supply @RR
C003C Tone Wheel @R
C003D Wheel Speed Sensor @R
C003E Wheel Speed Sensor Supply @R
C003F Wheel Speed Sensors Rotation Direction Correlation
C0040 Brake Pedal Switch A
C0041 Brake Pedal Switch B
C0042 Brake Pedal Position Sensor Circuit A
C0043 Brake Pedal Position Sensor Circuit B
C0044 Brake Pressure Sensor A
C0045 Brake Pressure Sensor B
C0046 Brake Pressure Sensor A/B
C0047 Brake Booster Pressure Sensor
C0048 Brake Booster Travel Sensor
C0049 Brake Fluid Level
C004A Brake Lining Wear Sensor
C004B Brake Fluid Level Sensor/Switch: Circuit/Open
C004D Brake System Pressure Slow Response
C004E Brake System Pressure Control Valve Actuator Stuck
C004F ABS Control Module Over Temperature
C0051 Steering Wheel Position Sensor
C0052 Steering Wheel Position Sensor Signal A
C0053 Steering Wheel Position Sensor Signal B
C0054 Steering Wheel Position Sensor Signal C
C0055 Steering Wheel Position Sensor Signal D
C0061 Lateral Acceleration Sensor
C0062 Longitudinal Acceleration Sensor
C0063 Yaw Rate Sensor
C0064 Roll Rate Sensor
C006A Multi-axis Acceleration Sensor
C006B Stability System Active Too Long
C006C Stability System
C0071 2/4 Wheel Drive Status Input
C0072 Brake Temperature Too High
C0073 Delivered Driving Torque
C0074 Requested Driving Torque
C0075 Brake Pedal Position Performance
C0076 PWM for Traction Control
C0077 Low Tire Pressure
C0078 Tire Diameter
C0079 Variable Effort Steering
C0081 ABS Malfunction Indicator
C0082 Brake System Malfunction Indicator
C0083 Tire Pressure Monitor Malfunction Indicator
C0084 Traction Active Indicator
C0085 Traction Disable Indicator
C0086 Vehicle Dynamics Indicator
C0089 TCS Disable Switch
C008A TCS Mode Control
C0500 Wheel Speed Sensor A: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Intermittent/Erratic; Correlation @LF
C0506 Wheel Speed Sensor A: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Intermittent/Erratic; Correlation @RF
C050C Wheel Speed Sensor A: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Intermittent/Erratic; Correlation @LR
C0512 Wheel Speed Sensor A: Circuit/Open; Range/Performance; Circuit Low; Circuit High; Intermittent/Erratic; Correlation @RR
C051C Multi-axis Acceleration Sensor Module A: Range/Performance; Missing Calibration; Intermittent/Erratic; Correlation
C0520 Multi-axis Acceleration Sensor Module A
C0521 Multi-axis Acceleration Sensor Module B: Range/Performance; Missing Calibration; Intermittent/Erratic; Correlation
C0525 Multi-axis Acceleration Sensor Module B
C0526 Steering Angle Sensor Module: -; Mechanical; Range/Performance; Missing Calibration; Correlation
C052B ABS Pump Motor Control: Range/Performance; Circuit/Open; Circuit High; Circuit Low
C053D Brake Pressure Sensor A: Range/Performance; Circuit Low; Circuit High
C0541 Brake Pressure Sensor B: Range/Performance; Circuit Low; Circuit High; Circuit/Open
C0549 Vacuum Sensor A: Circuit/Open; Range/Performance; Circuit Low; Circuit High
C054D Vacuum Sensor B: Circuit/Open; Range/Performance; Circuit Low
C0551 Longitudinal Acceleration Sensor: Circuit/Open; Range/Performance; Circuit Low; Circuit High
C0564 ABS Control Module System Voltage: Low; High
C0566 Brake Booster Solenoid: $O3
C056B Brake Pressure Sensor A: Intermittent/Erratic
C056C Brake Pressure Sensor B: Intermittent/Erratic
C05A3 Wheel Speed Sensors Supply Circuit: High; Low
C05AA ABS Pump Motor Temperature Too High
C05C0 Brake Pedal Position Sensor A: Not Learned
C05C1 Brake Pedal Position Sensor B: Not Learned
C0518 Wheel Speed Sensor: Mechanical @LF
C0519 Wheel Speed Sensor: Mechanical @RF
C051A Wheel Speed Sensor: Mechanical @LR
C051B Wheel Speed Sensor: Mechanical @RR
B0001 Driver Frontal: Stage 1 Deployment Control; Stage 2 Deployment Control; Stage 3 Deployment Control
B0004 Knee Bolster Deployment Control @Driver
B0005 Collapsible Steering Column Deployment Control
B0010 Passenger Frontal: Stage 1 Deployment Control; Stage 2 Deployment Control; Stage 3 Deployment Control
B0013 Knee Bolster Deployment Control @Passenger
B001A Center Frontal Stage 3 Deployment Control
B0020 Left Side Airbag Deployment Control
B0021 Left Curtain Deployment Control 1
B0022 Left Curtain Deployment Control 2
B0028 Right Side Airbag Deployment Control
B0029 Right Curtain Deployment Control 1
B002A Right Curtain Deployment Control 2
B0030 Side Airbag Deployment Control @Second Row Left
B0031 Frontal Stage 1 Deployment Control @Second Row Left
B0032 Frontal Stage 2 Deployment Control @Second Row Left
B0033 Frontal Stage 3 Deployment Control @Second Row Left
B0038 Side Airbag Deployment Control @Second Row Right
B0039 Frontal Stage 1 Deployment Control @Second Row Right
B003A Frontal Stage 2 Deployment Control @Second Row Right
B003B Frontal Stage 3 Deployment Control @Second Row Right
B0040 Side Airbag Deployment Control @Third Row Left
B0041 Frontal Stage 1 Deployment Control @Third Row Left
B0042 Frontal Stage 2 Deployment Control @Third Row Left
B0043 Frontal Stage 3 Deployment Control @Third Row Left
B0048 Side Airbag Deployment Control @Third Row Right
B0049 Frontal Stage 1 Deployment Control @Third Row Right
B004A Frontal Stage 2 Deployment Control @Third Row Right
B004B Frontal Stage 3 Deployment Control @Third Row Right
B0050 Seatbelt Sensor @Driver|First Row Center|Passenger|Second Row Left|Second Row Center|Second Row Right|Third Row Left|Third Row Center|Third Row Right
B0060 Seatbelt Tension Sensor @Driver|Passenger
B0070 Seatbelt Pretensioner A Deployment Control @Driver
B0071 Seatbelt Pretensioner Deployment Control @First Row Center
B0072 Seatbelt Pretensioner A Deployment Control @Passenger
B0073 Seatbelt Pretensioner Deployment Control @Second Row Left|Second Row Center|Second Row Right|Third Row Left|Third Row Center|Third Row Right
B0079 Seatbelt Pretensioner B Deployment Control @Driver|Passenger|Second Row Left|Second Row Right|Second Row Center
B007E Seatbelt Pretensioner C Deployment Control @Driver|Passenger
B0080 Seatbelt Load Limiter Deployment Control @Driver|First Row Center|Passenger|Second Row Left|Second Row Center|Second Row Right|Third Row Left|Third Row Center|Third Row Right
B0090 Left Frontal Restraints Sensor
B0091 Left Side Restraints Sensor 1
B0092 Left Side Restraints Sensor 2
B0093 Left Side Restraints Sensor 3
B0094 Center Frontal Restraints Sensor
B0095 Right Frontal Restraints Sensor
B0096 Right Side Restraints Sensor 1
B0097 Right Side Restraints Sensor 2
B0098 Right Side Restraints Sensor 3
B0099 Roll Over Sensor
B009A Left Side Restraints Sensor 4
B009B Left Side Restraints Sensor 5
B009C Left Side Restraints Sensor 6
B009D Right Side Restraints Sensor 4
B009E Right Side Restraints Sensor 5
B009F Right Side Restraints Sensor 6
B00A0 Occupant Classification System
B00A1 Occupant Position System
B00B0 Seat Occupant Classification Sensor A @Driver
B00B1 Seat Occupant Classification Sensor B @Driver
B00B2 Seat Occupant Classification Sensor C @Driver
B00B3 Seat Occupant Classification Sensor D @Driver
B00B4 Seat Occupant Classification Sensor E @Driver
B00B5 Seat Track Position Restraints Sensor @Driver
B00B6 Seat Recline Position Restraints Sensor @Driver
B00B7 Seat Occupant Position Sensor A @Driver
B00B8 Seat Occupant Position Sensor B @Driver
B00B9 Seat Occupant Position Sensor C @Driver
B00BA Seat Occupant Position Sensor D @Driver
B00BB Seat Occupant Position Sensor E @Driver
B00C0 Seat Occupant Classification Sensor A @Passenger
B00C1 Seat Occupant Classification Sensor B @Passenger
B00C2 Seat Occupant Classification Sensor C @Passenger
B00C3 Seat Occupant Classification Sensor D @Passenger
B00C4 Seat Occupant Classification Sensor E @Passenger
B00C5 Seat Track Position Restraints Sensor @Passenger
B00C6 Seat Recline Position Restraints Sensor @Passenger
B00C7 Seat Occupant Position Sensor A @Passenger
B00C8 Seat Occupant Position Sensor B @Passenger
B00C9 Seat Occupant Position Sensor C @Passenger
B00CA Seat Occupant Position Sensor D @Passenger
B00CB Seat Occupant Position Sensor E @Passenger
B00D0 Seatbelt Indicator @Driver|Passenger
B00D2 Restraint System Malfunction Indicator 1
B00D3 Restraint System Malfunction Indicator 2
B00D4 Restraint System Malfunction Audible Indicator
B00D5 Restraint System Passenger Disable Indicator
B00DF Restraints Disable Switch @Passenger
B00F0 Inflatable Seatbelt Deployment Control @Driver|Passenger|Second Row Left|Second Row Center|Second Row Right|Third Row Left|Third Row Center|Third Row Right
B00E0 Seatbelt Pretensioner B Deployment Control @Third Row Left|Third Row Right|Third Row Center
B00E3 Seatbelt Pretensioner C Deployment Control @Second Row Left|Second Row Right|Second Row Center|Third Row Right|Third Row Left|Third Row Center
%BUSES
%MODULES
"""

# U0100-U0299: the modules a module can lose communication with, in their code order.
LOST_COMMUNICATION = """
U0100 ECM/PCM A
U0101 Transmission Control Module
U0102 Transfer Case Control Module
U0103 Gear Shift Control Module A
U0104 Cruise Control Module
U0105 Fuel Injector Control Module
U0106 Glow Plug Control Module
U0107 Throttle Actuator Control Module
U0108 Alternative Fuel Control Module
U0109 Fuel Pump Control Module
U0110 Drive Motor Control Module A
U0111 Battery Energy Control Module A
U0112 Battery Energy Control Module B
U0113 Emissions Critical Control Information
U0114 Four-Wheel Drive Clutch Control Module
U0115 ECM/PCM B
U0116 Coolant Temperature Control Module
U0117 PTO Control Module
U0118 Fuel Additive Control Module
U0119 Fuel Cell Control Module
U0120 Starter/Generator Control Module
U0121 Anti-Lock Brake System Control Module
U0122 Vehicle Dynamics Control Module
U0123 Yaw Rate Sensor Module
U0124 Lateral Acceleration Sensor Module
U0125 Multi-axis Acceleration Sensor Module
U0126 Steering Angle Sensor Module
U0127 Tire Pressure Monitor Module
U0128 Park Brake Control Module
U0129 Brake System Control Module
U0130 Steering Effort Control Module
U0131 Power Steering Control Module
U0132 Suspension Control Module A
U0140 Body Control Module
U0141 Body Control Module A
U0142 Body Control Module B
U0143 Body Control Module C
U0144 Body Control Module D
U0145 Body Control Module E
U0146 Gateway A
U0147 Gateway B
U0148 Gateway C
U0151 Restraints Control Module
U0152 Side Restraints Control Module Left
U0153 Side Restraints Control Module Right
U0154 Restraints Occupant Classification System Module
U0155 Instrument Panel Cluster Control Module
U0156 Information Center A
U0157 Information Center B
U0158 Head Up Display
U0159 Parking Assist Control Module A
U0160 Audible Alert Control Module
U0161 Compass Module
U0162 Navigation Display Module
U0163 Navigation Control Module
U0164 HVAC Control Module
U0165 HVAC Control Module Rear
U0166 Auxiliary Heater Control Module
U0167 Vehicle Immobilizer Control Module
U0168 Vehicle Security Control Module
U0169 Sunroof Control Module
U0170 Restraints System Sensor A
U0171 Restraints System Sensor B
U0172 Restraints System Sensor C
U0173 Restraints System Sensor D
U0180 Automatic Lighting Control Module
U0181 Headlamp Leveling Control Module
U0182 Lighting Control Module Front
U0183 Lighting Control Module Rear
U0184 Radio
U0185 Antenna Control Module
U0186 Audio Amplifier
U0187 Digital Disc Player/Changer Module A
U0188 Digital Disc Player/Changer Module B
U0189 Digital Disc Player/Changer Module C
U0190 Digital Disc Player/Changer Module D
U0191 Television
U0192 Personal Computer
U0193 Digital Audio Control Module A
U0194 Digital Audio Control Module B
U0195 Subscription Entertainment Receiver Module
U0196 Rear Seat Entertainment Control Module
U0197 Telephone Control Module
U0198 Telematic Control Module
U0199 Door Control Module A
U0200 Door Control Module B
U0201 Door Control Module C
U0202 Door Control Module D
U0203 Door Control Module E
U0204 Door Control Module F
U0205 Door Control Module G
U0206 Folding Top Control Module
U0207 Moveable Roof Control Module
U0208 Seat Control Module A
U0209 Seat Control Module B
U0210 Seat Control Module C
U0211 Seat Control Module D
U0212 Steering Column Control Module
U0213 Mirror Control Module
U0214 Remote Function Actuation
U0215 Door Switch A
U0216 Door Switch B
U0217 Door Switch C
U0218 Door Switch D
U0219 Door Switch E
U0220 Door Switch F
U0221 Door Switch G
U0222 Door Window Motor A
U0223 Door Window Motor B
U0224 Door Window Motor C
U0225 Door Window Motor D
U0226 Door Window Motor E
U0227 Door Window Motor F
U0228 Door Window Motor G
U0229 Heated Steering Wheel Module
U0230 Rear Gate Module
U0231 Rain Sensing Module
U0232 Side Obstacle Detection Control Module Left
U0233 Side Obstacle Detection Control Module Right
U0234 Convenience Recall Module
U0235 Cruise Control Front Distance Range Sensor
U0236 Column Lock Module
U0237 Digital Audio Control Module C
U0238 Digital Audio Control Module D
U0293 Hybrid Powertrain Control Module
U010A Exhaust Gas Recirculation Control Module A
U010B Exhaust Gas Recirculation Control Module B
U010C Turbocharger/Supercharger Control Module A
U010D Turbocharger/Supercharger Control Module B
U010E Reductant Control Module
U010F Air Conditioning Control Module
U011A Exhaust Gas Sensor Module
U011B Rocker Arm Control Module A
U011C Rocker Arm Control Module B
U011D All Wheel Drive Control Module
U0133 Active Roll Control Module
U0134 Power Steering Control Module Rear
U0135 Differential Control Module Front
U0136 Differential Control Module Rear
U0137 Trailer Brake Control Module
U0138 All Terrain Control Module
U0139 Suspension Control Module B
U0149 Gateway D
U0150 Gateway E
U016A Global Positioning System Module
U0174 Restraints System Sensor E
U0175 Restraints System Sensor F
U0176 Restraints System Sensor G
U0177 Restraints System Sensor H
U0178 Restraints System Sensor I
U0179 Restraints System Sensor J
U017A Restraints System Sensor K
U017B Restraints System Sensor L
U017C Restraints System Sensor M
U017D Restraints System Sensor N
U017E Seatbelt Pretensioner Module A
U017F Seatbelt Pretensioner Module B
U0239 Entrapment Control Module A
U023A Image Processing Module A
U023B Image Processing Module B
U023C Image Processing Module C
U023D Cruise Control Front Distance Range Sensor Left
U023E Cruise Control Front Distance Range Sensor Right
U0240 Entrapment Control Module B
U0241 Headlamp Control Module A
U0242 Headlamp Control Module B
U0243 Parking Assist Control Module B
U0244 Running Board Control Module A
U0245 Entertainment Control Module Front
U0246 Seat Control Module E
U0247 Seat Control Module F
U0248 Remote Accessory Module
U0249 Entertainment Control Module Rear B
U024A Interior Lighting Control Module
U024B Seat Control Module G
U024C Seat Control Module H
U024D Seat Control Module J
U024E Side Obstacle Detection Control Module C
U024F Side Obstacle Detection Control Module D
U0250 Impact Classification System Module
U0251 Running Board Control Module B
U0252 Lighting Control Module Rear B
U0253 Accessory Protocol Interface Module
U0254 Remote Start Module
U0255 Front Display Interface Module
U0256 Front Controls Interface Module A
U0257 Front Controls/Display Interface Module
U0258 Radio Transceiver
U0259 Special Purpose Vehicle Control Module A
U025A Special Purpose Vehicle Control Module B
U025B Special Purpose Vehicle Control Module C
U025C Special Purpose Vehicle Control Module D
U025D Front Controls Interface Module B
U025E Electronic Brake Booster Control Module A
U025F Electronic Brake Booster Control Module B
U0260 Seat Control Switch Module A
U0261 Seat Control Switch Module B
U0262 Audio Amplifier B
U0263 Speech Recognition Module
U0264 Camera Module Rear
U0265 Image Processing Sensor A
U0266 Image Processing Sensor B
U0267 Image Processing Sensor C
U0268 Image Processing Sensor D
U0269 Image Processing Sensor E
U026A Image Processing Sensor F
U026B Image Processing Sensor G
U026C Image Processing Sensor H
U026D Image Processing Sensor I
U026E Image Processing Sensor J
U026F Image Processing Sensor K
U0270 Image Processing Sensor L
U0271 Seat Control Switch Module C
U0272 Seat Control Switch Module D
U0273 Lighting Driver Control Module A
U0274 Lighting Driver Control Module B
U0275 Lighting Driver Control Module C
U0276 Lighting Driver Control Module D
U0277 Seat Control Module K
U0278 Seat Control Module L
U0279 Haptic Control Module
U0284 Active Grille Air Shutter Module A
U0285 Active Grille Air Shutter Module B
U0286 Radiator Anti Tamper Device
U0287 Transmission Fluid Pump Module
U0288 DC/AC Converter Control Module A
U0289 DC/AC Converter Control Module B
U028B Active Grille Air Shutter Module C
U028C Active Grille Air Shutter Module D
U028D Active Aerodynamic Feature Control Module A
U028E Active Aerodynamic Feature Control Module B
U028F Active Aerodynamic Feature Control Module C
U0290 Active Aerodynamic Feature Control Module D
U0291 Gear Shift Control Module B
U0292 Drive Motor Control Module B
U0294 Powertrain Control Monitor Module
U0295 AC/AC Converter Control Module
U0296 AC/DC Converter Control Module A
U0297 AC/DC Converter Control Module B
U0298 DC/DC Converter Control Module A
U0299 DC/DC Converter Control Module B
U029A Hybrid Battery Pack Sensor Module
U029B Drive Motor Control Module C
U029C Drive Motor Control Module D
U029D NOx Sensor A
U029E NOx Sensor B
"""

# U040A-U059F: the modules whose data can be invalid, beyond the U0401-U0431 series below.
INVALID_DATA = """
U040A Air Conditioning Control Module
U040B Exhaust Gas Recirculation Control Module A
U040C Exhaust Gas Recirculation Control Module B
U040D Turbocharger/Supercharger Control Module A
U040E Turbocharger/Supercharger Control Module B
U040F Reductant Control Module
U041B Exhaust Gas Sensor Module
U041C Rocker Arm Control Module A
U041D Rocker Arm Control Module B
U041E All Wheel Drive Control Module
U0432 Multi-axis Acceleration Sensor Module
U0433 Cruise Control Front Distance Range Sensor
U0434 Active Roll Control Module
U0435 Power Steering Control Module Rear
U0436 Differential Control Module Front
U0437 Differential Control Module Rear
U0438 Trailer Brake Control Module
U0439 All Terrain Control Module
U043A Suspension Control Module B
U043B Cruise Control Front Distance Range Sensor Left
U043C Cruise Control Front Distance Range Sensor Right
U0441 Emissions Critical Control Information
U0442 ECM/PCM B
U0443 Body Control Module B
U0444 Body Control Module C
U0445 Body Control Module D
U0446 Body Control Module E
U0447 Gateway A
U0448 Gateway B
U0449 Gateway C
U044A Gateway D
U0451 Gateway E
U0452 Restraints Control Module
U0453 Side Restraints Control Module Left
U0454 Side Restraints Control Module Right
U0455 Restraints Occupant Classification System Module
U0456 Coolant Temperature Control Module
U0457 Information Center A
U0458 Information Center B
U0459 Head Up Display
U045A Parking Assist Control Module A
U0461 Audible Alert Control Module
U0462 Compass Module
U0463 Navigation Display Module
U0464 Navigation Control Module
U0465 PTO Control Module
U0466 HVAC Control Module Rear
U0467 Fuel Additive Control Module
U0468 Fuel Cell Control Module
U0469 Starter/Generator Control Module
U046A Sunroof Control Module
U046B Global Positioning System Module
U0471 Restraints System Sensor A
U0472 Restraints System Sensor B
U0473 Restraints System Sensor C
U0474 Restraints System Sensor D
U0475 Restraints System Sensor E
U0476 Restraints System Sensor F
U0477 Restraints System Sensor G
U0478 Restraints System Sensor H
U0479 Restraints System Sensor I
U047A Restraints System Sensor J
U047B Restraints System Sensor K
U047C Restraints System Sensor L
U047D Restraints System Sensor M
U047E Restraints System Sensor N
U047F Seatbelt Pretensioner Module A
U0480 Seatbelt Pretensioner Module B
U0481 Automatic Lighting Control Module
U0482 Headlamp Leveling Control Module
U0483 Lighting Control Module Front
U0484 Lighting Control Module Rear A
U0485 Radio
U0486 Antenna Control Module
U0487 Audio Amplifier A
U0488 Digital Disc Player/Changer Module A
U0489 Digital Disc Player/Changer Module B
U048A Digital Disc Player/Changer Module C
U0491 Digital Disc Player/Changer Module D
U0492 Television
U0493 Personal Computer
U0494 Digital Audio Control Module A
U0495 Digital Audio Control Module B
U0496 Subscription Entertainment Receiver Module
U0497 Rear Seat Entertainment Control Module
U0498 Telephone Control Module
U0499 Telematic Control Module
U049A Door Control Module A
U0501 Door Control Module B
U0502 Door Control Module C
U0503 Door Control Module D
U0504 Door Control Module E
U0505 Door Control Module F
U0506 Door Control Module G
U0507 Folding Top Control Module
U0508 Moveable Roof Control Module
U0509 Seat Control Module A
U050A Seat Control Module B
U0511 Seat Control Module C
U0512 Seat Control Module D
U0513 Yaw Rate Sensor Module
U0514 Mirror Control Module
U0515 Remote Function Actuation
U0516 Door Switch A
U0517 Door Switch B
U0518 Door Switch C
U0519 Door Switch D
U051A Door Switch E
U0521 Door Switch F
U0522 Door Switch G
U0523 Door Window Motor A
U0524 Door Window Motor B
U0525 Door Window Motor C
U0526 Door Window Motor D
U0527 Door Window Motor E
U0528 Door Window Motor F
U0529 Door Window Motor G
U052A Heated Steering Wheel Module
U0531 Rear Gate Module
U0532 Rain Sensing Module
U0533 Side Obstacle Detection Control Module Left
U0534 Side Obstacle Detection Control Module Right
U0535 Convenience Recall Module
U0536 Lateral Acceleration Sensor Module
U0537 Column Lock Module
U0538 Digital Audio Control Module C
U0539 Digital Audio Control Module D
U053A Entrapment Control Module A
U053B Image Processing Module A
U053C Image Processing Module B
U053D Image Processing Module C
U0541 Entrapment Control Module B
U0542 Headlamp Control Module A
U0543 Headlamp Control Module B
U0544 Parking Assist Control Module B
U0545 Running Board Control Module
U0546 Entertainment Control Module Front
U0547 Seat Control Module E
U0548 Seat Control Module F
U0549 Remote Accessory Module
U054A Entertainment Control Module Rear B
U054B Interior Lighting Control Module
U0551 Impact Classification System Module
U0552 Running Board Control Module B
U0553 Lighting Control Module Rear B
U0554 Accessory Protocol Interface Module
U0555 Remote Start Module
U0556 Front Display Interface Module
U0557 Front Controls Interface Module A
U0558 Front Controls/Display Interface Module
U0559 Radio Transceiver
U055A Special Purpose Vehicle Control Module A
U055B Special Purpose Vehicle Control Module B
U055C Special Purpose Vehicle Control Module C
U055D Special Purpose Vehicle Control Module D
U055E Front Controls Interface Module B
U0561 Seat Control Switch Module A
U0562 Seat Control Switch Module B
U0563 Audio Amplifier B
U0564 Speech Recognition Module
U0565 Camera Module Rear
U0587 Radiator Anti Tamper Device
U0588 Transmission Fluid Pump Module
U0589 DC/AC Converter Control Module A
U058A DC/AC Converter Control Module B
U0592 Gear Shift Control Module B
U0593 Drive Motor Control Module B
U0594 Hybrid Powertrain Control Module
U0595 Powertrain Control Monitor Module
U0596 AC/AC Converter Control Module
U0597 AC/DC Converter Control Module A
U0598 AC/DC Converter Control Module B
U0599 DC/DC Converter Control Module A
U059A DC/DC Converter Control Module B
U059B Hybrid Battery Pack Sensor Module
U059C Drive Motor Control Module C
U059D Drive Motor Control Module D
U059E NOx Sensor A
U059F NOx Sensor B
"""

# U0332-U0336: software incompatibility with modules beyond the U0301-U0331 series below.
SOFTWARE_INCOMPATIBILITY = """
U0332 Multi-axis Acceleration Sensor Module
U0333 Gear Shift Control Module B
U0334 Radio
U0335 Hybrid Battery Pack Sensor Module
U0336 Restraints Control Module
"""

# U0302-U0331 (software incompatibility) and U0402-U0431 (invalid data received) share this order; U0301 and U0401
# name the engine control module.
MODULE_SERIES = ["Transmission Control Module", "Transfer Case Control Module", "Gear Shift Control Module A",
                 "Cruise Control Module", "Fuel Injector Control Module", "Glow Plug Control Module",
                 "Throttle Actuator Control Module", "Alternative Fuel Control Module", "Fuel Pump Control Module",
                 "Drive Motor Control Module A", "Battery Energy Control Module A", "Battery Energy Control Module B",
                 "Four-Wheel Drive Clutch Control Module", "Anti-Lock Brake System Control Module",
                 "Vehicle Dynamics Control Module", "Park Brake Control Module", "Brake System Control Module",
                 "Steering Effort Control Module", "Power Steering Control Module", "Suspension Control Module A",
                 "Body Control Module", "Instrument Panel Cluster Control Module", "HVAC Control Module",
                 "Auxiliary Heater Control Module", "Vehicle Immobilizer Control Module",
                 "Vehicle Security Control Module", "Steering Angle Sensor Module", "Steering Column Control Module",
                 "Tire Pressure Monitor Module", "Body Control Module A"]
BUSES = ["High Speed CAN Communication Bus", "Medium Speed CAN Communication Bus", "Low Speed CAN Communication Bus",
         "Vehicle Communication Bus A", "Vehicle Communication Bus B", "Vehicle Communication Bus C",
         "Vehicle Communication Bus D", "Vehicle Communication Bus E"]
SUFFIX = re.compile(r"^(.*) (\d\d|[A-Z0-9](?:/[A-Z0-9])?)$")
TABLES = (WORDS, PARTS, PHRASES, MODULES, ELECTRIC, RESTRAINTS, CHASSIS)
# A key in two tables would take the first table's texts without a word said: refuse it.
_KEYS = [key for table in TABLES for key in table]
if len(_KEYS) != len(set(_KEYS)):
    raise ValueError("keys in two vocabulary tables: %s" % sorted({k for k in _KEYS if _KEYS.count(k) > 1}))
# Keys with "{0}", "{1}" (a motor letter, a phase) inside them: each language puts the letters where it needs them.
TEMPLATES = [(re.compile("^" + "([A-Z0-9])".join(re.escape(p) for p in re.split(r"\{\d\}", key)) + "$"), texts)
             for table in TABLES for key, texts in table.items() if "{0}" in key]


def word(text, lang):
    """The text of a vocabulary key; a key not in the tables may be a known one followed by a letter or number, or
    a template's key with letters in place of its "{0}" and "{1}"."""
    for table in TABLES:
        if text in table:
            return table[text][lang]
    for pattern, texts in TEMPLATES:
        m = pattern.match(text)
        if m:
            return texts[lang].format(*m.groups())
    m = SUFFIX.match(text)
    if not m:
        raise KeyError(text)
    return numbered(lang, m.group(1), m.group(2))


# Languages that write a common noun in lower case inside a sentence: every one but English (title case), German
# (every noun capitalised) and Chinese (no case).
LOWER_INSIDE = set(LANGS) - {"en", "de", "cn"}


def inside(lang, text):
    """`text` where it does not begin the description (after a comma, a colon or a preposition, in brackets): its
    first letter in lower case where the language writes a common noun so. A first word that is an acronym or a
    designation (ABS, NOx, O2, ECM/PCM, A/B) keeps its letters; a one-letter word ("A carico elevato", "À charge")
    is lowered where a word in lower case follows it."""
    if lang not in LOWER_INSIDE:
        return text
    m = re.match(r"[^\W\d_]+", text)
    if not m or not text[0].isupper():
        return text
    word, after = m.group(0), text[m.end():]
    if len(word) > 1:
        ordinary = word[1:].islower() and not after[:1].isdigit()
    else:
        ordinary = after[:1] == " " and after[1:2].islower()
    return text[0].lower() + text[1:] if ordinary else text


def code_at(start, offset):
    """The code `offset` places after `start`: in hexadecimal where the code has a letter among its last three
    characters (P0A0F is followed by P0A10) and throughout the chassis and body codes (B0079 is followed by B007A),
    else in decimal."""
    if start[0] in "BC" or re.search("[A-F]", start[2:]):
        return "%s%s%03X" % (start[0], start[1], int(start[2:], 16) + offset)
    return "%s%04d" % (start[0], int(start[1:]) + offset)


def join(lang, part, mode=None, qual=None):
    if lang == "cn":
        text = part + (mode or "")
        return text + ("(%s)" % qual if qual else "")
    if mode:
        text = part + (" " if lang == "en" or mode.startswith("(") else ", ") + inside(lang, mode)
    else:
        text = part
    return text + (" (%s)" % qual if qual else "")


# Hungarian counts cylinders, gears, banks and sensors with an ordinal in front ("1. henger", "2. hengersor").
ORDINALS = {"Cylinder", "Bank", "Sensor", "Unit"}
# A gear is counted as a mechanic counts it: "6. Gang", "6-я передача", "6e rapport" (and "1er rapport").
GEARS = {"en": "Gear {}", "de": "{}. Gang", "es": "{}.ª marcha", "fr": "{}e rapport", "hu": "{}. fokozat",
         "it": "{}ª marcia", "nl": "{}e versnelling", "pl": "{}. bieg", "pt": "{}ª marcha", "ru": "{}-я передача",
         "se": "Växel {}", "sk": "{}. prevodový stupeň", "cz": "{}. převodový stupeň", "cn": "{}档"}


def gear(lang, n):
    return "1er rapport" if lang == "fr" and n == 1 else GEARS[lang].format(n)


def with_gear(lang, phrase, n):
    """A phrase about a gear ("Stuck in Gear 5"): English adds the gear after it, each other language's text holds
    "{}" where the gear goes, in the form it takes there."""
    if lang == "en":
        return "%s %s" % (phrase, gear(lang, n))
    return word(phrase + " Gear", lang).format(inside(lang, gear(lang, n)))


def numbered(lang, key, n):
    n = str(n)
    if lang == "cn":
        return word(key, lang) + n
    if lang == "hu" and key in ORDINALS and n.isdigit():
        return "%s. %s" % (n, inside(lang, word(key, lang)))
    if lang == "hu" and re.match(r"^\d-\d$", n):
        return "%s %s" % (n, inside(lang, word(key, lang)))
    return "%s %s" % (word(key, lang), n)


def qualifier(lang, q):
    """Bank/sensor/unit positions: B1, B2S1, B1SA, B1U2, and two of them as B1S1/B2S1. Inside the brackets the
    words are in lower case, bank and sensor apart by a comma, where the language writes them so."""
    if "/" in q:
        return (" / " if lang in LOWER_INSIDE else "/").join(qualifier(lang, p) for p in q.split("/"))
    m = re.match(r"^B(\d)(?:([SU])([0-9A-Z]))?$", q)
    if not m:
        raise ValueError("qualifier " + q)
    parts = [numbered(lang, "Bank", m.group(1))]
    if m.group(2):
        parts.append(numbered(lang, "Sensor" if m.group(2) == "S" else "Unit", m.group(3)))
    if lang not in LOWER_INSIDE:
        return " ".join(parts)
    return ", ".join(inside(lang, p) for p in parts)


def placed(lang, text, where):
    """A wheel or seat position with its part: in front in English and Chinese, in brackets after it elsewhere."""
    if lang == "cn":
        return where + text
    return where + " " + text if lang == "en" else "%s (%s)" % (text, where)


def position(lang, key):
    return POSITIONS[lang][POSITIONS["en"].index(key)]


# The article a module's name takes after a preposition, by the name's first word, and the preposition and article
# run together as the language writes them ("de" + "el" is "del"). A module whose first word is missing here stops
# the build rather than going out without its article.
ARTICLES = {
    "fr": {"calculateur": "le", "module": "le", "capteur": "le", "moteur": "le", "contacteur": "le",
           "passerelle": "la", "ECM/PCM": "l'", "centre": "le", "amplificateur": "l'", "combiné": "le",
           "autoradio": "l'", "émetteur-récepteur": "l'", "téléviseur": "le", "ordinateur": "l'",
           "informations": "les", "dispositif": "le", "affichage": "l'", "actionnement": "l'"},
    "es": {"módulo": "el", "sensor": "el", "motor": "el", "interruptor": "el", "pasarela": "la", "ECM/PCM": "el",
           "centro": "el", "amplificador": "el", "radio": "la", "transceptor": "el", "televisión": "la",
           "pantalla": "la", "ordenador": "el", "información": "la", "dispositivo": "el", "accionamiento": "el"},
    "it": {"centralina": "la", "modulo": "il", "sensore": "il", "motore": "il", "interruttore": "l'",
           "gateway": "il", "ECM/PCM": "l'", "centro": "il", "amplificatore": "l'", "quadro": "il",
           "autoradio": "l'", "televisore": "il", "ricetrasmettitore": "il", "personal": "il",
           "informazioni": "le", "display": "il", "dispositivo": "il", "azionamento": "l'"},
    "pt": {"módulo": "o", "sensor": "o", "motor": "o", "interruptor": "o", "gateway": "o", "ECM/PCM": "o",
           "central": "a", "amplificador": "o", "rádio": "o", "painel": "o", "transceptor": "o", "televisão": "a",
           "informações": "as", "head-up": "o", "dispositivo": "o", "computador": "o", "acionamento": "o"},
}
CONTRACTIONS = {
    "fr": {("de", "le"): "du", ("de", "les"): "des"},
    "es": {("de", "el"): "del"},
    "it": {("da", "il"): "dal", ("da", "la"): "dalla", ("da", "l'"): "dall'", ("da", "le"): "dalle"},
    "pt": {("de", "o"): "do", ("de", "a"): "da", ("de", "as"): "das"},
}


def about(lang, phrase, module):
    """A phrase with a module's name in it ("Lost Communication With ..."): each language's text holds "{}" where
    the name goes. The name keeps no capital it only had for beginning the description; where the language puts an
    article before it, the article joins the preposition before "{}"."""
    template = word(phrase, lang)
    if lang == "en":
        return template + " " + word(module, lang)
    name = inside(lang, word(module, lang))
    before, after = template.split("{}")
    if lang in ARTICLES:
        first = name.split(" ", 1)[0]
        if first not in ARTICLES[lang]:
            raise KeyError("no article for %r in %s" % (first, lang))
        article = ARTICLES[lang][first]
        preposition = before.rstrip().rsplit(" ", 1)[-1]
        joined = CONTRACTIONS[lang].get((preposition, article))
        if joined:
            before = before.rstrip()[:-len(preposition)] + joined + ("" if joined.endswith("'") else " ")
        else:
            before += article if article.endswith("'") else article + " "
    return before + name + after


class Table:
    def __init__(self):
        self.rows = {}  # code: {lang: text}

    def add(self, code, texts):
        if code in self.rows:
            raise ValueError("code twice: " + code)
        if not re.match(r"^[PCBU][0-3][0-9A-F]{3}$", code):
            raise ValueError("bad code: " + code)
        self.rows[code] = texts

    def single(self, code, make):
        self.add(code, {l: make(l) for l in LANGS})

    def family(self, start, part, modes, qual=None):
        for i, mode in enumerate(modes):
            self.single(code_at(start, i),
                        lambda l, m=mode: join(l, word(part, l), None if m == "-" else word(m, l),
                                               qualifier(l, qual) if qual else None))

    def ordered(self):
        return sorted(self.rows.items(), key=lambda kv: ("PCBU".index(kv[0][0]), kv[0]))


def expand(modes):
    out = []
    for m in modes:
        out.extend(MACROS[m[1:]] if m.startswith("$") else [m])
    return out


def special(t, name):
    cyl = lambda l, n: numbered(l, "Cylinder", n)  # noqa: E731
    if name == "INJ":
        for n in range(1, 13):
            t.single("P%04d" % (200 + n), lambda l, n=n: join(l, cyl(l, n), word("Injector Circuit/Open", l)))
    elif name == "INJCYL":
        for n in range(1, 13):
            for i, mode in enumerate(["Injector Circuit Low", "Injector Circuit High", "Contribution/Balance"]):
                t.single("P%04d" % (261 + 3 * (n - 1) + i), lambda l, n=n, m=mode: join(l, cyl(l, n), word(m, l)))
    elif name == "MISFIRE":
        t.single("P0300", lambda l: join(l, word("Random/Multiple Cylinder", l), word("Misfire Detected", l)))
        for n in range(1, 13):
            t.single("P%04d" % (300 + n), lambda l, n=n: join(l, cyl(l, n), word("Misfire Detected", l)))
    elif name == "COILS":
        for n in range(1, 13):
            t.single("P%04d" % (350 + n), lambda l, n=n: join(l, numbered(l, "Ignition Coil", LETTERS[n - 1]),
                                                              word("Primary/Secondary Circuit", l)))
    elif name == "COILS2":
        for n in range(12):
            for i, mode in enumerate(["Primary Control Circuit Low", "Primary Control Circuit High",
                                      "Secondary Circuit"]):
                t.single("P%04d" % (2300 + 3 * n + i),
                         lambda l, n=n, m=mode: join(l, numbered(l, "Ignition Coil", LETTERS[n]), word(m, l)))
    elif name in ("CAT1", "CAT2"):
        bank, start = (1, 420) if name == "CAT1" else (2, 430)
        q = lambda l: qualifier(l, "B%d" % bank)  # noqa: E731
        for i, part in enumerate(["Catalyst System", "Warm Up Catalyst", "Main Catalyst", "Heated Catalyst"]):
            t.single("P%04d" % (start + i),
                     lambda l, p=part: join(l, word(p, l), word("Efficiency Below Threshold", l), q(l)))
        t.single("P%04d" % (start + 4),
                 lambda l: join(l, word("Heated Catalyst", l), word("Temperature Below Threshold", l), q(l)))
        t.family("P%04d" % (start + 5), "Catalyst Temperature Sensor", MACROS["S4"], "B%dS1" % bank)
    elif name == "KNOCK":
        for n in range(1, 13):
            t.single("P%04d" % (2335 + n), lambda l, n=n: join(l, cyl(l, n), word("Above Knock Threshold", l)))
    elif name == "GLOW":
        for n in range(1, 13):
            t.single("P%04d" % (670 + n), lambda l, n=n: join(l, cyl(l, n), word("Glow Plug Circuit", l)))
    elif name == "GEARS":
        t.single("P0729", lambda l: join(l, gear(l, 6), word("Incorrect Ratio", l)))
        t.single("P0730", lambda l: word("Incorrect Gear Ratio", l))
        for n in range(1, 6):
            t.single("P%04d" % (730 + n), lambda l, n=n: join(l, gear(l, n), word("Incorrect Ratio", l)))
        t.single("P0736", lambda l: join(l, word("Reverse", l), word("Incorrect Ratio", l)))
        t.single("P076F", lambda l: join(l, gear(l, 7), word("Incorrect Ratio", l)))
    elif name == "STUCKGEARS":
        # Stuck in and unable to engage neutral, reverse and gears 1-7; each language's phrase takes the gear as
        # its mechanics name it, after a colon in the languages that decline it.
        t.single("P072A", lambda l: word("Stuck in Neutral", l))
        t.single("P072B", lambda l: word("Stuck in Reverse", l))
        t.single("P073D", lambda l: word("Unable to Engage Neutral", l))
        t.single("P073E", lambda l: word("Unable to Engage Reverse", l))
        # The gears skip the codes that read as decimal ones: gear 5 follows gear 4 at P073A, not at P0730.
        stuck = ["P072C", "P072D", "P072E", "P072F", "P073A", "P073B", "P073C"]
        unable = ["P073F", "P074A", "P074B", "P074C", "P074D", "P074E", "P074F"]
        for n, (s, u) in enumerate(zip(stuck, unable), 1):
            t.single(s, lambda l, n=n: with_gear(l, "Stuck in", n))
            t.single(u, lambda l, n=n: with_gear(l, "Unable to Engage", n))
    elif name == "SHIFTS":
        for code, shift in (("P0781", "1-2"), ("P0782", "2-3"), ("P0783", "3-4"), ("P0784", "4-5"),
                            ("P0829", "5-6")):
            t.single(code, lambda l, s=shift: s + " " + word("Shift", l) if l == "en" else
                     s + word("Shift", l) if l == "cn" else numbered(l, "Shift", s))
    elif name == "DEACT":
        for n in range(1, 13):
            for i, mode in enumerate(DEACTIVATION_MODES):
                t.single("P%04d" % (3401 + 8 * (n - 1) + i), lambda l, n=n, m=mode: join(l, cyl(l, n), word(m, l)))
    elif name == "VOLTAGESENSE":
        for i, letter in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
            t.family(code_at("P0B3B", 5 * i), "Hybrid Battery Voltage Sense " + letter, MACROS["S5"])
    elif name == "CELLBALANCING":
        for i, letter in enumerate("ABCDEFGHIJKLMN"):
            t.family(code_at("P0DAC", 4 * i), "Hybrid Battery Cell Balancing Circuit " + letter,
                     ["-", "Stuck On", "Stuck Off", "Range/Performance"])
    elif name == "BUSES":
        for i, bus in enumerate(BUSES):
            t.family("U%04d" % (1 + 9 * i), bus, BUS_MODES)
        for i, bus in enumerate("ABCDE"):
            t.single("U%04d" % (73 + i), lambda l, b=bus: join(l, word("Control Module Communication Bus " + b, l),
                                                               word("Off", l)))
    elif name == "MODULES":
        for line in LOST_COMMUNICATION.strip().splitlines():
            code, module = line.split(" ", 1)
            t.single(code, lambda l, m=module: about(l, "Lost Communication With", m))
        for listing, phrase in ((INVALID_DATA, "Invalid Data Received From"),
                                (SOFTWARE_INCOMPATIBILITY, "Software Incompatibility With")):
            for line in listing.strip().splitlines():
                code, module = line.split(" ", 1)
                t.single(code, lambda l, p=phrase, m=module: about(l, p, m))
        t.single("U0300", lambda l: word("Internal Control Module Software Incompatibility", l))
        t.single("U0400", lambda l: word("Invalid Data Received", l))
        for series, phrase, first in ((301, "Software Incompatibility With", "ECM/PCM"),
                                      (401, "Invalid Data Received From", "ECM/PCM A")):
            for i, module in enumerate([first] + MODULE_SERIES):
                t.single("U%04d" % (series + i), lambda l, p=phrase, m=module: about(l, p, m))
    else:
        raise ValueError("no family " + name)


def build():
    t = Table()
    for line in FAMILIES.strip().splitlines():
        if line.startswith("%CYLINDERS "):
            # "%CYLINDERS P029A 1-12: mode; mode": each cylinder in turn takes one code per mode.
            head, modes = line[len("%CYLINDERS "):].split(": ")
            start, span = head.split(" ")
            first, last = (int(n) for n in span.split("-"))
            modes = modes.split("; ")
            for n in range(first, last + 1):
                for i, mode in enumerate(modes):
                    t.single(code_at(start, (n - first) * len(modes) + i),
                             lambda l, n=n, m=mode: join(l, numbered(l, "Cylinder", n), word(m, l)))
            continue
        if line.startswith("%"):
            special(t, line[1:])
            continue
        code, rest = line.split(" ", 1)
        qual = None
        if " @" in rest:
            rest, qual = rest.rsplit(" @", 1)
        part, _, modes = rest.partition(": ")
        places = qual.split("|") if qual else []
        if places and all(p in WHEEL_KEYS or p in POSITIONS["en"] for p in places):
            # One code per wheel or seat, or one per mode at a single wheel or seat.
            modes = expand(modes.split("; ")) if modes else ["-"]
            pairs = [(p, m) for p in places for m in modes]
            if len(places) > 1 and len(modes) > 1:
                raise ValueError("several places and several modes: " + line)
            for i, (where, mode) in enumerate(pairs):
                t.single(code_at(code, i),
                         lambda l, p=part, w=where, m=mode: join(l, placed(
                             l, word(p, l), WHEELS[l][WHEEL_KEYS.index(w)] if w in WHEEL_KEYS else position(l, w)),
                             None if m == "-" else word(m, l)))
        elif part in ("Driver Frontal", "Passenger Frontal"):
            seat = ["Driver Frontal", "Passenger Frontal"].index(part)
            for i, mode in enumerate(expand(modes.split("; "))):
                t.single(code_at(code, i),
                         lambda l, m=mode: join(l, FRONTAL[l][seat], word(m, l)))
        else:
            t.family(code, part, expand(modes.split("; ")) if modes else ["-"], qual)
    return t


def lines(rows, lang):
    return ["%s %s\n" % (code, texts[lang]) for code, texts in rows]


def check(folder, rows):
    """The first difference between the masters in `folder` and what build() makes of the vocabulary, or None."""
    for lang in LANGS:
        path = os.path.join(folder, lang + ".txt")
        try:
            with open(path, encoding="utf-8", newline="") as f:
                have = f.readlines()
        except OSError as e:
            return "%s: %s" % (path, e.strerror)
        want = lines(rows, lang)
        for n, (h, w) in enumerate(zip(have, want), 1):
            if h != w:
                return "%s:%d: %r, the vocabulary makes %r" % (path, n, h.rstrip("\n"), w.rstrip("\n"))
        if len(have) != len(want):
            return "%s: %d lines, the vocabulary makes %d" % (path, len(have), len(want))
    return None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    checking = args[:1] == ["--check"]
    if checking:
        args = args[1:]
    if len(args) > 1 or any(a.startswith("-") for a in args):
        sys.exit("usage: mkmasters.py [--check] [FOLDER]  (FOLDER defaults to data/dtc)")
    out = args[0] if args else os.path.join(here, "..", "..", "data", "dtc")
    rows = build().ordered()
    if checking:
        difference = check(out, rows)
        if difference:
            sys.exit("masters differ from the vocabulary (run tools/dtc/mkmasters.py): " + difference)
        print("%d codes in %d languages, as the vocabulary makes them" % (len(rows), len(LANGS)))
        return
    os.makedirs(out, exist_ok=True)
    for lang in LANGS:
        with open(os.path.join(out, lang + ".txt"), "w", encoding="utf-8", newline="\n") as f:
            f.writelines(lines(rows, lang))
    print("%d codes in %d languages written to %s" % (len(rows), len(LANGS), os.path.normpath(out)))


if __name__ == "__main__":
    main()
