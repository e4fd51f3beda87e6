#!/usr/bin/env python3
"""Writes the DTC masters: one UTF-8 file per language (data/dtc/<xx>.txt), the same codes in the same order in
each, one "CODE description" line per code, LF line ends. The codes are the generic ones (P0, P2, P3, C0, B0, U0),
made from the families below and the words of vocabulary.py.

    tools/dtc/mkmasters.py [output folder]     (default: data/dtc beside this repository's tools/)
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vocabulary import LANGS, MODULES, MODULE_ORDER, PARTS, WORDS  # noqa: E402

SENSOR_MODES = ["Circuit", "Circuit Range/Performance", "Circuit Low", "Circuit High", "Circuit Intermittent"]
SENSOR_MODES4 = SENSOR_MODES[:4]
O2_MODES = ["Circuit", "Circuit Low Voltage", "Circuit High Voltage", "Circuit Slow Response",
            "Circuit No Activity Detected", "Heater Circuit"]
SOLENOID_MODES = ["Circuit", "Performance or Stuck Off", "Stuck On", "Electrical", "Intermittent"]
VALVE_MODES = ["Circuit", "Circuit Open", "Circuit Shorted"]
ACTUATOR_MODES = ["Control Circuit", "Control Circuit Low", "Control Circuit High", "Circuit Range/Performance"]
BUS_MODES = [None, "Performance", "(+) Open", "(+) Low", "(+) High", "(-) Open", "(-) Low", "(-) High",
             "(+) Shorted to Bus (-)"]
LETTERS = "ABCDEFGHIJKL"
WHEELS = {
    "en": ["Left Front", "Right Front", "Left Rear", "Right Rear"],
    "de": ["vorn links", "vorn rechts", "hinten links", "hinten rechts"],
    "es": ["delantera izquierda", "delantera derecha", "trasera izquierda", "trasera derecha"],
    "fr": ["avant gauche", "avant droite", "arrière gauche", "arrière droite"],
    "hu": ["bal első", "jobb első", "bal hátsó", "jobb hátsó"],
    "it": ["anteriore sinistra", "anteriore destra", "posteriore sinistra", "posteriore destra"],
    "nl": ["linksvoor", "rechtsvoor", "linksachter", "rechtsachter"],
    "pl": ["lewe przednie", "prawe przednie", "lewe tylne", "prawe tylne"],
    "pt": ["dianteira esquerda", "dianteira direita", "traseira esquerda", "traseira direita"],
    "ru": ["переднее левое", "переднее правое", "заднее левое", "заднее правое"],
    "se": ["vänster fram", "höger fram", "vänster bak", "höger bak"],
    "sk": ["ľavé predné", "pravé predné", "ľavé zadné", "pravé zadné"],
    "cz": ["levé přední", "pravé přední", "levé zadní", "pravé zadní"],
    "cn": ["左前", "右前", "左后", "右后"],
}
SEATS = {
    "en": ["Driver Frontal", "Passenger Frontal", "Driver Side", "Passenger Side", "Driver Knee", "Passenger Knee",
           "Left Curtain", "Right Curtain", "Second Row Left Side", "Second Row Right Side"],
    "de": ["Fahrer Front", "Beifahrer Front", "Fahrer Seite", "Beifahrer Seite", "Fahrer Knie", "Beifahrer Knie",
           "Kopfairbag links", "Kopfairbag rechts", "zweite Reihe links Seite", "zweite Reihe rechts Seite"],
    "es": ["frontal conductor", "frontal acompañante", "lateral conductor", "lateral acompañante", "rodilla conductor",
           "rodilla acompañante", "cortina izquierda", "cortina derecha", "lateral segunda fila izquierda",
           "lateral segunda fila derecha"],
    "fr": ["frontal conducteur", "frontal passager", "latéral conducteur", "latéral passager", "genoux conducteur",
           "genoux passager", "rideau gauche", "rideau droit", "latéral deuxième rang gauche",
           "latéral deuxième rang droit"],
    "hu": ["vezető első", "utas első", "vezető oldalsó", "utas oldalsó", "vezető térd", "utas térd", "bal függöny",
           "jobb függöny", "második sor bal oldalsó", "második sor jobb oldalsó"],
    "it": ["frontale conducente", "frontale passeggero", "laterale conducente", "laterale passeggero",
           "ginocchia conducente", "ginocchia passeggero", "a tendina sinistro", "a tendina destro",
           "laterale seconda fila sinistro", "laterale seconda fila destro"],
    "nl": ["bestuurder voor", "passagier voor", "bestuurder zij", "passagier zij", "bestuurder knie", "passagier knie",
           "gordijn links", "gordijn rechts", "tweede rij links zij", "tweede rij rechts zij"],
    "pl": ["czołowa kierowcy", "czołowa pasażera", "boczna kierowcy", "boczna pasażera", "kolanowa kierowcy",
           "kolanowa pasażera", "kurtyna lewa", "kurtyna prawa", "boczna drugi rząd lewa", "boczna drugi rząd prawa"],
    "pt": ["frontal motorista", "frontal passageiro", "lateral motorista", "lateral passageiro", "joelho motorista",
           "joelho passageiro", "cortina esquerda", "cortina direita", "lateral segunda fila esquerda",
           "lateral segunda fila direita"],
    "ru": ["фронтальная водителя", "фронтальная пассажира", "боковая водителя", "боковая пассажира",
           "коленная водителя", "коленная пассажира", "шторка левая", "шторка правая", "боковая второго ряда левая",
           "боковая второго ряда правая"],
    "se": ["förare front", "passagerare front", "förare sida", "passagerare sida", "förare knä", "passagerare knä",
           "krockgardin vänster", "krockgardin höger", "andra raden vänster sida", "andra raden höger sida"],
    "sk": ["čelný vodič", "čelný spolujazdec", "bočný vodič", "bočný spolujazdec", "kolenný vodič",
           "kolenný spolujazdec", "hlavový ľavý", "hlavový pravý", "bočný druhý rad ľavý", "bočný druhý rad pravý"],
    "cz": ["čelní řidič", "čelní spolujezdec", "boční řidič", "boční spolujezdec", "kolenní řidič",
           "kolenní spolujezdec", "hlavový levý", "hlavový pravý", "boční druhá řada levý", "boční druhá řada pravý"],
    "cn": ["驾驶员正面", "乘客正面", "驾驶员侧面", "乘客侧面", "驾驶员膝部", "乘客膝部", "左侧气帘", "右侧气帘",
           "第二排左侧", "第二排右侧"],
}


def word(text, lang):
    return WORDS[text][lang] if text in WORDS else PARTS[text][lang]


def join(lang, part, mode=None, qual=None):
    if lang == "cn":
        text = part + (mode or "")
        return text + ("(%s)" % qual if qual else "")
    if mode:
        text = part + (" " if lang == "en" else ", ") + mode
    else:
        text = part
    return text + (" (%s)" % qual if qual else "")


def bank_sensor(lang, bank, sensor=None):
    b = "%s %d" % (word("Bank", lang), bank) if lang != "cn" else "%s%d" % (word("Bank", lang), bank)
    if sensor is None:
        return b
    s = "%s %d" % (word("Sensor", lang), sensor) if lang != "cn" else "%s%d" % (word("Sensor", lang), sensor)
    return b + " " + s


def cylinder(lang, n):
    return ("%s %d" % (word("Cylinder", lang), n)) if lang != "cn" else "%s%d" % (word("Cylinder", lang), n)


class Table:
    def __init__(self):
        self.rows = []  # (code, {lang: text})
        self.codes = set()

    def add(self, code, texts):
        if code in self.codes:
            raise ValueError("code twice: " + code)
        self.codes.add(code)
        self.rows.append((code, texts))

    def family(self, start, part, modes, qual=None):
        """One code per mode, numbered from start; part is a vocabulary key, qual a function of the language."""
        letter, number = start[0], int(start[1:])
        for i, mode in enumerate(modes):
            code = "%s%04d" % (letter, number + i)
            self.add(code, {l: join(l, word(part, l), word(mode, l) if mode else None, qual(l) if qual else None)
                            for l in LANGS})
        return "%s%04d" % (letter, number + len(modes))

    def single(self, code, make):
        self.add(code, {l: make(l) for l in LANGS})


def build():
    t = Table()
    # Fuel and air metering.
    t.family("P0100", "Mass or Volume Air Flow Sensor A", SENSOR_MODES)
    t.family("P0105", "Manifold Absolute Pressure/Barometric Pressure Sensor", SENSOR_MODES)
    t.family("P0110", "Intake Air Temperature Sensor 1", SENSOR_MODES, lambda l: bank_sensor(l, 1))
    t.family("P0115", "Engine Coolant Temperature Sensor 1", SENSOR_MODES)
    t.family("P0120", "Throttle/Pedal Position Sensor/Switch A", SENSOR_MODES)
    t.family("P0128", "Coolant Thermostat", ["Below Regulating Temperature"])
    o2 = [(1, 1, "P0130"), (1, 2, "P0136"), (1, 3, "P0142"), (2, 1, "P0150"), (2, 2, "P0156"), (2, 3, "P0162")]
    for bank, sensor, start in o2:
        t.family(start, "O2 Sensor", O2_MODES, lambda l, b=bank, s=sensor: bank_sensor(l, b, s))
    for bank, start in ((1, 170), (2, 173)):
        for i, part in enumerate(["Fuel Trim", "System Too Lean", "System Too Rich"]):
            t.single("P%04d" % (start + i), lambda l, p=part, b=bank: join(l, word(p, l), None, bank_sensor(l, b)))
    t.family("P0176", "Fuel Composition Sensor", SENSOR_MODES4)
    t.family("P0180", "Fuel Temperature Sensor A", SENSOR_MODES)
    t.family("P0185", "Fuel Temperature Sensor B", SENSOR_MODES)
    t.family("P0190", "Fuel Rail Pressure Sensor A", SENSOR_MODES)
    t.family("P0195", "Engine Oil Temperature Sensor", SENSOR_MODES)
    t.family("P0200", "Injector Circuit/Open", [None])
    for n in range(1, 13):
        t.single("P%04d" % (200 + n), lambda l, n=n: join(l, word("Injector Circuit/Open", l), None, cylinder(l, n)))
    t.family("P0220", "Throttle/Pedal Position Sensor/Switch B", SENSOR_MODES)
    t.family("P0225", "Throttle/Pedal Position Sensor/Switch C", SENSOR_MODES)
    t.family("P0230", "Fuel Pump Primary Circuit", [None])
    t.family("P0231", "Fuel Pump Secondary Circuit", ["Circuit Low", "Circuit High", "Circuit Intermittent"])
    t.family("P0235", "Turbocharger/Supercharger Boost Sensor A", SENSOR_MODES4)
    t.family("P0239", "Turbocharger/Supercharger Boost Sensor B", SENSOR_MODES4)
    t.family("P0243", "Turbocharger/Supercharger Wastegate Solenoid A", SENSOR_MODES4)
    t.family("P0247", "Turbocharger/Supercharger Wastegate Solenoid B", SENSOR_MODES4)
    t.family("P0251", "Injection Pump Fuel Metering Control A", SENSOR_MODES)
    t.family("P0256", "Injection Pump Fuel Metering Control B", SENSOR_MODES)
    for n in range(1, 13):
        base = 261 + 3 * (n - 1)
        for i, mode in enumerate(["Injector Circuit Low", "Injector Circuit High", "Contribution/Balance"]):
            t.single("P%04d" % (base + i), lambda l, n=n, m=mode: join(l, cylinder(l, n), word(m, l)))
    # Ignition and misfire.
    t.single("P0300", lambda l: join(l, word("Random/Multiple Cylinder", l), word("Misfire Detected", l)))
    for n in range(1, 13):
        t.single("P%04d" % (300 + n), lambda l, n=n: join(l, cylinder(l, n), word("Misfire Detected", l)))
    t.family("P0320", "Ignition/Distributor Engine Speed Input", SENSOR_MODES)
    t.family("P0325", "Knock Sensor 1", SENSOR_MODES, lambda l: bank_sensor(l, 1))
    t.family("P0330", "Knock Sensor 2", SENSOR_MODES, lambda l: bank_sensor(l, 2))
    t.family("P0335", "Crankshaft Position Sensor A", SENSOR_MODES)
    t.family("P0340", "Camshaft Position Sensor A", SENSOR_MODES, lambda l: bank_sensor(l, 1))
    t.family("P0345", "Camshaft Position Sensor A", SENSOR_MODES, lambda l: bank_sensor(l, 2))
    t.family("P0350", "Ignition Coil", ["Primary/Secondary Circuit"])
    for n in range(1, 13):
        t.single("P%04d" % (350 + n),
                 lambda l, n=n: join(l, word("Ignition Coil", l) + " " + LETTERS[n - 1],
                                     word("Primary/Secondary Circuit", l)))
    t.family("P0365", "Camshaft Position Sensor B", SENSOR_MODES, lambda l: bank_sensor(l, 1))
    t.family("P0385", "Crankshaft Position Sensor B", SENSOR_MODES)
    t.family("P0390", "Camshaft Position Sensor B", SENSOR_MODES, lambda l: bank_sensor(l, 2))
    # Emission controls.
    t.family("P0400", "Exhaust Gas Recirculation Flow", [None, "Insufficient Detected", "Excessive Detected"])
    t.family("P0403", "Exhaust Gas Recirculation Valve", ["Control Circuit", "Circuit Range/Performance"])
    t.family("P0405", "Exhaust Gas Recirculation Sensor A", ["Circuit Low", "Circuit High"])
    t.family("P0407", "Exhaust Gas Recirculation Sensor B", ["Circuit Low", "Circuit High"])
    t.family("P0410", "Secondary Air Injection System", [None, "Incorrect Flow Detected"])
    t.family("P0412", "Secondary Air Injection System Switching Valve A", VALVE_MODES)
    t.family("P0415", "Secondary Air Injection System Switching Valve B", VALVE_MODES)
    for bank, start in ((1, 420), (2, 430)):
        cats = ["Catalyst System", "Warm Up Catalyst", "Main Catalyst", "Heated Catalyst"]
        for i, part in enumerate(cats):
            t.single("P%04d" % (start + i), lambda l, p=part, b=bank: join(l, word(p, l),
                                                                          word("Efficiency Below Threshold", l),
                                                                          bank_sensor(l, b)))
        t.single("P%04d" % (start + 4), lambda l, b=bank: join(l, word("Heated Catalyst", l),
                                                                word("Temperature Below Threshold", l),
                                                                bank_sensor(l, b)))
        t.family("P%04d" % (start + 5), "Catalyst Temperature Sensor", SENSOR_MODES4,
                 lambda l, b=bank: bank_sensor(l, b))
    t.family("P0440", "Evaporative Emission System", [None, "Incorrect Purge Flow", "Leak Detected (Small Leak)"])
    t.family("P0455", "Evaporative Emission System", ["Leak Detected (Large Leak)", "Leak Detected (Very Small Leak)"])
    t.family("P0443", "Evaporative Emission System Purge Control Valve", VALVE_MODES)
    t.family("P0446", "Evaporative Emission System Vent Control", VALVE_MODES)
    t.family("P0450", "Evaporative Emission System Pressure Sensor/Switch", SENSOR_MODES)
    t.family("P0460", "Fuel Level Sensor A", SENSOR_MODES)
    t.family("P0465", "Evaporative Emission System Purge Flow Sensor", SENSOR_MODES)
    t.family("P0470", "Exhaust Pressure Sensor", SENSOR_MODES)
    t.family("P0475", "Exhaust Pressure Control Valve", SENSOR_MODES)
    t.family("P0480", "Cooling Fan 1", ["Control Circuit"])
    t.family("P0481", "Cooling Fan 2", ["Control Circuit"])
    # Speed, idle and auxiliary inputs.
    t.family("P0500", "Vehicle Speed Sensor A", SENSOR_MODES4)
    t.family("P0505", "Idle Air Control System", [None, "RPM Lower Than Expected", "RPM Higher Than Expected"])
    t.family("P0520", "Engine Oil Pressure Sensor/Switch", SENSOR_MODES)
    t.family("P0530", "A/C Refrigerant Pressure Sensor A", SENSOR_MODES)
    t.family("P0550", "Power Steering Pressure Sensor/Switch", SENSOR_MODES)
    t.family("P0560", "System Voltage", [None])
    t.family("P0562", "System Voltage", ["Circuit Low", "Circuit High"])
    # Transmission.
    t.family("P0700", "Transmission Control System", ["Malfunction (MIL Request)"])
    t.family("P0705", "Transmission Range Sensor A", SENSOR_MODES)
    t.family("P0710", "Transmission Fluid Temperature Sensor A", SENSOR_MODES)
    t.family("P0715", "Input/Turbine Speed Sensor A", SENSOR_MODES)
    t.family("P0720", "Output Speed Sensor", SENSOR_MODES)
    t.family("P0725", "Engine Speed Input", SENSOR_MODES)
    for n in range(1, 6):
        t.single("P%04d" % (730 + n), lambda l, n=n: join(l, "%s %d" % (word("Gear", l), n), word("Incorrect Ratio", l)))
    t.single("P0736", lambda l: join(l, word("Reverse", l), word("Incorrect Ratio", l)))
    t.family("P0740", "Torque Converter Clutch", SOLENOID_MODES)
    t.family("P0745", "Pressure Control Solenoid A", SOLENOID_MODES)
    for i, s in enumerate("ABCDE"):
        t.family("P%04d" % (750 + 5 * i), "Shift Solenoid " + s, SOLENOID_MODES)
    # The P0 series continues where no family above stands: sensor families of later vehicles, in blocks of five.
    later = ["Intake Air Temperature Sensor 2", "Engine Coolant Temperature Sensor 2",
             "Mass or Volume Air Flow Sensor B", "Fuel Rail Pressure Sensor B", "Fuel Level Sensor B",
             "Vehicle Speed Sensor B", "Charge Air Cooler Temperature Sensor"]
    block = 800
    for part in later:
        t.family("P%04d" % block, part, SENSOR_MODES)
        block += 5
    # P2: throttle actuator, pedal sensors, exhaust after-treatment, per-bank and per-coil families.
    t.family("P2100", "Throttle Actuator Control Motor", ["Circuit Open", "Circuit Range/Performance", "Circuit Low",
                                                         "Circuit High"])
    t.family("P2120", "Throttle/Pedal Position Sensor/Switch D", SENSOR_MODES)
    t.family("P2125", "Throttle/Pedal Position Sensor/Switch E", SENSOR_MODES)
    t.family("P2130", "Throttle/Pedal Position Sensor/Switch F", SENSOR_MODES)
    for n in range(12):
        base = 2300 + 3 * n
        coil = lambda l, n=n: word("Ignition Coil", l) + " " + LETTERS[n]
        for i, mode in enumerate(["Primary Control Circuit Low", "Primary Control Circuit High", "Secondary Circuit"]):
            t.single("P%04d" % (base + i), lambda l, c=coil, m=mode: join(l, c(l), word(m, l)))
    block = 2400
    for part in ["Exhaust Gas Temperature Sensor", "NOx Sensor", "Particulate Matter Sensor"]:
        for bank in (1, 2):
            for sensor in (1, 2, 3, 4):
                t.family("P%04d" % block, part, SENSOR_MODES, lambda l, b=bank, s=sensor: bank_sensor(l, b, s))
                block += 5
    for bank in (1, 2):
        t.family("P%04d" % block, "Diesel Particulate Filter Differential Pressure Sensor", SENSOR_MODES,
                 lambda l, b=bank: bank_sensor(l, b))
        block += 5
    block = 2600
    for part in ["Reductant Pump", "Reductant Pressure Sensor", "Reductant Level Sensor",
                 "Reductant Temperature Sensor", "Reductant Heater", "Cooling Fan 1", "Cooling Fan 2"]:
        t.family("P%04d" % block, part, SENSOR_MODES)
        block += 5
    block = 2700
    for part in ["Intake Manifold Runner Control", "Intake Camshaft Position Actuator",
                 "Exhaust Camshaft Position Actuator"]:
        for bank in (1, 2):
            t.family("P%04d" % block, part, ACTUATOR_MODES, lambda l, b=bank: bank_sensor(l, b))
            block += 4
    block = 2800
    for n in range(1, 13):
        t.family("P%04d" % block, "Glow Plug", SENSOR_MODES4, lambda l, n=n: cylinder(l, n))
        block += 4
    # P3: cylinder deactivation and valve control.
    t.single("P3400", lambda l: join(l, word("Deactivation/Intake Valve Control Circuit/Open", l), None,
                                     bank_sensor(l, 1)))
    modes = ["Deactivation/Intake Valve Control Circuit/Open", "Intake Valve Control Performance",
             "Intake Valve Control Circuit Low", "Intake Valve Control Circuit High",
             "Exhaust Valve Control Circuit/Open", "Exhaust Valve Control Performance",
             "Exhaust Valve Control Circuit Low", "Exhaust Valve Control Circuit High"]
    for n in range(1, 13):
        for i, mode in enumerate(modes):
            t.single("P%04d" % (3401 + 8 * (n - 1) + i), lambda l, n=n, m=mode: join(l, cylinder(l, n), word(m, l)))
    # C0: wheel speed sensors, ABS valves and chassis sensors.
    block = 35
    for w in range(4):
        t.family("C%04d" % block, "Wheel Speed Sensor", SENSOR_MODES, lambda l, w=w: WHEELS[l][w])
        block += 5
    block = 60
    for part in ["ABS Inlet Valve", "ABS Outlet Valve"]:
        for w in range(4):
            t.family("C%04d" % block, part, ACTUATOR_MODES, lambda l, w=w: WHEELS[l][w])
            block += 4
    block = 100
    for w in range(4):
        t.family("C%04d" % block, "Tire Pressure Sensor", SENSOR_MODES, lambda l, w=w: WHEELS[l][w])
        block += 5
    for w in range(4):
        t.family("C%04d" % block, "Ride Height Sensor", SENSOR_MODES, lambda l, w=w: WHEELS[l][w])
        block += 5
    for part in ["Brake Pressure Sensor", "Steering Angle Sensor", "Yaw Rate Sensor", "Lateral Acceleration Sensor",
                 "Brake Pedal Position Sensor", "Pump Motor"]:
        t.family("C%04d" % block, part, SENSOR_MODES)
        block += 5
    # B0: restraints, then climate sensors and actuators.
    block = 1
    for s in range(len(SEATS["en"])):
        for mode in ["Stage 1 Deployment Control", "Stage 2 Deployment Control", "Stage 3 Deployment Control",
                     "Deployment Loop Resistance Low", "Deployment Loop Resistance High"]:
            t.single("B%04d" % block, lambda l, s=s, m=mode: join(l, word("Airbag", l) + " " + SEATS[l][s],
                                                                    word(m, l)))
            block += 1
    for s in range(4):
        for mode in ["Stage 1 Deployment Control", "Deployment Loop Resistance Low",
                     "Deployment Loop Resistance High"]:
            t.single("B%04d" % block, lambda l, s=s, m=mode: join(l, word("Seat Belt Pretensioner", l) + " " +
                                                                    SEATS[l][s], word(m, l)))
            block += 1
    block = 100
    for s in range(len(SEATS["en"])):
        t.family("B%04d" % block, "Impact Sensor", SENSOR_MODES, lambda l, s=s: SEATS[l][s])
        block += 5
    block = 200
    for part in ["Ambient Air Temperature Sensor", "Cabin Temperature Sensor", "Blend Door Actuator", "Blower Motor"]:
        t.family("B%04d" % block, part, SENSOR_MODES)
        block += 5
    # U0: network buses and the modules on them.
    buses = ["High Speed CAN Communication Bus", "Medium Speed CAN Communication Bus",
             "Low Speed CAN Communication Bus", "Vehicle Communication Bus A", "Vehicle Communication Bus B",
             "Vehicle Communication Bus C", "Vehicle Communication Bus D", "Vehicle Communication Bus E"]
    for i, bus in enumerate(buses):
        t.family("U%04d" % (1 + 9 * i), bus, BUS_MODES)
    for i, bus in enumerate(buses[3:]):
        t.single("U%04d" % (73 + i), lambda l, b=bus: join(l, word(b, l), word("Bus Off", l)))
    for series, phrase in ((100, "Lost Communication With"), (301, "Software Incompatibility With"),
                           (401, "Invalid Data Received From")):
        for i, module in enumerate(MODULE_ORDER):
            t.single("U%04d" % (series + i),
                     lambda l, p=phrase, m=module: word(p, l) + ("" if l == "cn" else " ") + MODULES[m][l])
    # P3: the sensor families once per bank and position, for engines with more than one of each. Numbered in
    # blocks of five from P3000, around the deactivation codes above.
    per_position = ["Mass or Volume Air Flow Sensor A", "Mass or Volume Air Flow Sensor B",
                    "Manifold Absolute Pressure/Barometric Pressure Sensor", "Intake Air Temperature Sensor 1",
                    "Intake Air Temperature Sensor 2", "Fuel Rail Pressure Sensor A", "Fuel Rail Pressure Sensor B",
                    "Fuel Temperature Sensor A", "Fuel Temperature Sensor B", "Turbocharger/Supercharger Boost Sensor A",
                    "Turbocharger/Supercharger Boost Sensor B", "Charge Air Cooler Temperature Sensor",
                    "Catalyst Temperature Sensor", "Exhaust Pressure Sensor", "Exhaust Gas Recirculation Sensor A",
                    "Exhaust Gas Recirculation Sensor B", "Evaporative Emission System Pressure Sensor/Switch",
                    "Diesel Particulate Filter Differential Pressure Sensor", "Reductant Pressure Sensor",
                    "Reductant Temperature Sensor", "Knock Sensor 1", "Knock Sensor 2", "Camshaft Position Sensor A",
                    "Camshaft Position Sensor B", "Crankshaft Position Sensor A"]
    number = 3000
    for part in per_position:
        for bank in (1, 2):
            for sensor in (1, 2, 3):
                while any("P%04d" % (number + i) in t.codes for i in range(5)):
                    number += 5
                t.family("P%04d" % number, part, SENSOR_MODES, lambda l, b=bank, s=sensor: bank_sensor(l, b, s))
                number += 5
    return t


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data", "dtc")
    table = build()
    os.makedirs(out, exist_ok=True)
    for lang in LANGS:
        with open(os.path.join(out, lang + ".txt"), "w", encoding="utf-8", newline="\n") as f:
            for code, texts in table.rows:
                f.write("%s %s\n" % (code, texts[lang]))
    print("%d codes in %d languages written to %s" % (len(table.rows), len(LANGS), os.path.normpath(out)))


if __name__ == "__main__":
    main()
