/*
 * QuillonFM: the numbers and names of the host's protocol.
 *
 * The host chose every number here; the library only answers to them. A
 * host, a test or a tool that speaks to the library names them from this
 * header instead of retyping them. Where the host has several numbers for
 * one value, each number gets its own name with a letter (_A, _B, ...).
 *
 * Plain C: enumerations and string macros, usable from C and C++.
 */
#ifndef QUILLON_FM_IDS_H
#define QUILLON_FM_IDS_H

/* ---- Commands: ed_fm_set_command(command, value) ------------------------
 * A value above 1 is first decoded: its fractional part times 8, minus 2
 * (so 1.5 arrives as 2). "Ignored" means the command acts the same whatever
 * its value. Axes run -1..1. Unknown numbers do nothing. */
typedef enum Qfm_Command {
    QFM_CMD_WHEEL_BRAKES_ON = 74,      /* ignored; both main brakes full */
    QFM_CMD_WHEEL_BRAKES_OFF = 75,     /* ignored; both main brakes released */
    QFM_CMD_ROLL_TRIM_LEFT = 93,       /* ignored; roll trim -0.001, held in -1..1 */
    QFM_CMD_ROLL_TRIM_RIGHT = 94,      /* ignored; roll trim +0.001 */
    QFM_CMD_PITCH_TRIM_UP = 95,        /* ignored; pitch trim +0.0008, held in -1..1 */
    QFM_CMD_PITCH_TRIM_DOWN = 96,      /* ignored; pitch trim -0.0008 */
    QFM_CMD_PITCH_AXIS = 2001,         /* stick pitch axis; stored negated */
    QFM_CMD_ROLL_AXIS = 2002,          /* stick roll axis; stored as received */
    QFM_CMD_RUDDER_AXIS = 2003,        /* pedal axis; stored negated */
    QFM_CMD_THROTTLE_AXIS = 2004,      /* +1 idle end .. -1 full: 0..100 per cent */
    QFM_CMD_BRAKES_AXIS = 2101,        /* both main brakes; +1 released .. -1 full */
    QFM_CMD_LEFT_BRAKE_AXIS = 2112,    /* left main brake, as 2101 */
    QFM_CMD_RIGHT_BRAKE_AXIS = 2113,   /* right main brake, as 2101 */
    QFM_CMD_HOOK = 3011,               /* switch; value <= 0 selects the hook up */
    QFM_CMD_SPEED_BRAKE = 3012,        /* 1 extend, 0 stop, -1 retract */
    QFM_CMD_FLAP_LEVER = 3013,         /* lever 0 up .. 0.5 half .. 1 full */
    QFM_CMD_STEER_MODE = 3014,         /* button; 1 selects a steering mode, else clears */
    QFM_CMD_BAR = 3015,                /* launch-bar switch; on only at exactly 1 */
    QFM_CMD_GEAR_HANDLE = 3016,        /* value <= 0 selects the gear up */
    QFM_CMD_GEAR_PANEL = 3017,         /* stored and echoed only (parameter, cockpit arg) */
    QFM_CMD_GEAR_EMERGENCY = 3018,     /* emergency gear handle; 1 pulled */
    QFM_CMD_START_SWITCH = 3019,       /* engine start switch 0 / 0.5 / 1 */
    QFM_CMD_BATTERY1 = 3020,           /* on only at exactly 1 */
    QFM_CMD_BATTERY2 = 3021,           /* on only at exactly 1 */
    QFM_CMD_GENERATOR = 3022,          /* 0.5 on, 0 off, anything else leaves it */
    QFM_CMD_GTS_START = 3023,          /* ignored; gas-turbine starter start button */
    QFM_CMD_THROTTLE_CUTOFF = 3024,    /* ignored; toggles the throttle cut-off */
    QFM_CMD_HYDRAULIC_RESET = 3025,    /* ignored; hydraulic reset button */
    QFM_CMD_FLAP_MODE = 3027,          /* 1 normal, 0 emergency */
    QFM_CMD_ANTI_COLLISION = 3028,     /* switch -1 / 0 / 1 */
    QFM_CMD_LIGHT_B = 3029,            /* exterior light B; -1 is half bright */
    QFM_CMD_LIGHT_A = 3030,            /* exterior light A; -1 is half bright */
    QFM_CMD_LIGHT_STEADY = 3031,       /* steady exterior light; -1 is half bright */
    QFM_CMD_LANDING_LIGHT = 3032,      /* switch */
    QFM_CMD_FLASH_MODE = 3033,         /* switch */
    QFM_CMD_COCKPIT_LIGHT1 = 3034,     /* knob 0..1 */
    QFM_CMD_COCKPIT_LIGHT2 = 3035,     /* knob 0..1 */
    QFM_CMD_COCKPIT_LIGHT3 = 3036,     /* knob 0..1 */
    QFM_CMD_EXTERIOR_MASTER = 3037,    /* exterior lights master switch */
    QFM_CMD_PARKING_BRAKE = 3038,      /* set above 0; exactly 0 also releases the brakes */
    QFM_CMD_RUDDER_TRIM = 3041,        /* knob -1..1 */
    QFM_CMD_CANOPY = 3042,             /* above 0 selects the canopy open */
    QFM_CMD_HOOK_ALT = 3043,           /* as 3011 */
    QFM_CMD_FLAP_LEVER_ALT = 3044,     /* as 3013 */
    QFM_CMD_BAR_ALT = 3045,            /* as 3015 */
    QFM_CMD_GEAR_HANDLE_ALT = 3046,    /* as 3016 */
    QFM_CMD_GEAR_PANEL_ALT = 3047,     /* as 3017 */
    QFM_CMD_GEAR_EMERGENCY_ALT = 3048, /* as 3018 */
    QFM_CMD_START_SWITCH_ALT = 3049,   /* as 3019 */
    QFM_CMD_BATTERY1_ALT = 3050,       /* as 3020 */
    QFM_CMD_BATTERY2_ALT = 3051,       /* as 3021 */
    QFM_CMD_GENERATOR_ALT = 3052,      /* as 3022 */
    QFM_CMD_COCKPIT_LIGHT1_ALT = 3053, /* as 3034 */
    QFM_CMD_COCKPIT_LIGHT2_ALT = 3054, /* as 3035 */
    QFM_CMD_COCKPIT_LIGHT3_ALT = 3055, /* as 3036 */
    QFM_CMD_PEDAL_RIGHT = 3056,        /* ignored; pedals +0.01, held in -1..1 */
    QFM_CMD_PEDAL_LEFT = 3057,         /* ignored; pedals -0.01 */
    QFM_CMD_PEDAL_CENTRE = 3058,       /* ignored; pedals to 0 */
    QFM_CMD_THROTTLE_UP = 3059,        /* ignored; throttle +1 per cent */
    QFM_CMD_THROTTLE_DOWN = 3060,      /* ignored; throttle -1 per cent */
    QFM_CMD_AUX_SWITCH = 3061,         /* auxiliary action switch; on above 0 */
    QFM_CMD_AUX_ACTION = 3062,         /* ignored; one cockpit action if the switch is on */
    QFM_CMD_AUX_ACTION_TRIPLE = 3063   /* ignored; up to three, while the switch stays on */
} Qfm_Command;

/* The cockpit action the auxiliary commands dispatch: action 83 to cockpit
 * device 0, value 1.0. What it does is the host's. */
#define QFM_COCKPIT_AUX_DEVICE 0
#define QFM_COCKPIT_AUX_ACTION 83

/* ---- Parameters: ed_fm_get_param(number), a double ---------------------
 * Every other number answers 0.0. "GTS" is the gas-turbine starter. */
typedef enum Qfm_Param {
    QFM_PARAM_GTS_RPM_FRACTION_A = 1, /* starter rpm / 100 */
    QFM_PARAM_GTS_RPM_PERCENT_A = 2,  /* starter rpm, per cent */
    QFM_PARAM_GTS_RPM_FRACTION_B = 3,
    QFM_PARAM_ONE_A = 12, /* constant 1.0 */
    QFM_PARAM_ONE_B = 13,
    QFM_PARAM_ONE_C = 14,
    QFM_PARAM_GTS_RPM_PERCENT_B = 17,
    QFM_PARAM_RPM_FRACTION_A = 100, /* engine rpm / 100 */
    QFM_PARAM_N1_FRACTION = 101,    /* fan rpm / 100 */
    QFM_PARAM_RPM_FRACTION_B = 102,
    QFM_PARAM_RPM_FRACTION_C = 103,
    QFM_PARAM_ENGINE_SPEED_A = 104, /* engine rpm scaled to 32000 at 100 per cent */
    QFM_PARAM_RPM_FRACTION_D = 105,
    QFM_PARAM_ENGINE_SPEED_B = 106,
    QFM_PARAM_RPM_FRACTION_E = 107,
    QFM_PARAM_FUEL_FLOW_A = 112, /* engine fuel flow, kg/s */
    QFM_PARAM_FUEL_FLOW_B = 113,
    QFM_PARAM_FUEL_FLOW_C = 114,
    QFM_PARAM_ONE_D = 115,
    QFM_PARAM_GTS_RPM_PERCENT_C = 117,
    QFM_PARAM_NOSE_GEAR = 2002,       /* nose wheel gear position, 0 up .. 1 down */
    QFM_PARAM_STEERING = 2005,        /* steering travel -1..1; 0 with no weight on wheels */
    QFM_PARAM_LEFT_BRAKE = 2011,      /* left main brake 0..1 */
    QFM_PARAM_LEFT_GEAR = 2012,       /* left main gear position 0..1 */
    QFM_PARAM_LEFT_GEAR_UP = 2013,    /* 1.0 when exactly 0 (up), else 0.0 */
    QFM_PARAM_LEFT_GEAR_DOWN = 2014,  /* 1.0 when exactly 1 (down), else 0.0 */
    QFM_PARAM_RIGHT_BRAKE = 2021,     /* right main brake 0..1 */
    QFM_PARAM_RIGHT_GEAR = 2022,      /* right main gear position 0..1 */
    QFM_PARAM_RIGHT_GEAR_UP = 2023,   /* flag, as 2013 */
    QFM_PARAM_RIGHT_GEAR_DOWN = 2024, /* flag, as 2014 */
    QFM_PARAM_INTERNAL_FUEL_A = 2119, /* total internal fuel, kg */
    QFM_PARAM_INTERNAL_FUEL_B = 2120,
    QFM_PARAM_LOW_FUEL = 2121,   /* 1.0 at or below 500 kg, else 0.0 */
    QFM_PARAM_GEAR_PANEL = 2122, /* gear panel switch as received */
    QFM_PARAM_ONE_E = 2124,
    QFM_PARAM_ONE_F = 2128,
    QFM_PARAM_CABIN_PRESSURE = 2131 /* cabin minus outside pressure, Pa, 0..33000 */
} Qfm_Param;

/* ---- External model arguments: ed_fm_set_draw_args_v2 -----------------
 * Single precision. Fractions run 0..1 (0 up, closed, retracted) unless
 * marked -1..1. */
typedef enum Qfm_External_Arg {
    QFM_ARG_NOSE_GEAR = 0,        /* nose wheel gear position */
    QFM_ARG_LEFT_GEAR = 5,        /* left main gear position */
    QFM_ARG_FLAP_RIGHT = 9,       /* right flap fraction */
    QFM_ARG_FLAP_LEFT = 10,       /* left flap fraction */
    QFM_ARG_AILERON_NEGATED = 11, /* minus the aileron fraction, -1..1 */
    QFM_ARG_AILERON = 12,         /* aileron fraction, -1..1 */
    QFM_ARG_SLAT_A = 13,          /* slat fraction */
    QFM_ARG_SLAT_B = 14,          /* slat fraction */
    QFM_ARG_ELEVATOR_A = 15,      /* elevator fraction, -1..1 */
    QFM_ARG_ELEVATOR_B = 16,      /* elevator fraction, -1..1 */
    QFM_ARG_RUDDER = 17,          /* rudder fraction, -1..1 */
    QFM_ARG_HOOK = 25,            /* hook position */
    QFM_ARG_CANOPY = 38,          /* canopy position, 0 closed .. 0.9 open */
    QFM_ARG_RAT_DEPLOY = 60,      /* ram-air turbine deployment */
    QFM_ARG_RAT_PHASE = 61,       /* ram-air turbine rotation phase 0..1 */
    QFM_ARG_BAR = 85,             /* launch-bar position */
    QFM_ARG_LANDING_LIGHT = 189,  /* landing light output */
    QFM_ARG_LIGHT_A = 190,        /* exterior light A output */
    QFM_ARG_STROBE = 191,         /* anti-collision strobe output */
    QFM_ARG_BEACON_ON = 192,      /* beacon on output */
    QFM_ARG_LIGHT_B = 193,        /* exterior light B output */
    QFM_ARG_BEACON_PHASE = 194,   /* beacon rotation phase */
    QFM_ARG_LIGHT_STEADY = 195,   /* steady exterior light output */
    QFM_ARG_SPEED_BRAKE = 500,    /* speed-brake fraction */
    QFM_EXTERNAL_ARG_COUNT = 501  /* an array this long receives every index */
} Qfm_External_Arg;

/* ---- Cockpit model arguments: ed_fm_set_fc3_cockpit_draw_args_v2 -------
 * Lamps (_LAMP_) are 1.0 lit, 0.0 dark, and all dark while the essential bus
 * is unpowered; the other arguments are written whatever the bus. */
typedef enum Qfm_Cockpit_Arg {
    QFM_COCKPIT_ARG_CANOPY = 1,              /* canopy position */
    QFM_COCKPIT_ARG_STICK_ROLL = 2,          /* roll axis as received */
    QFM_COCKPIT_ARG_STICK_PITCH = 3,         /* pitch axis as received */
    QFM_COCKPIT_ARG_PEDALS = 4,              /* rudder axis as received */
    QFM_COCKPIT_ARG_THROTTLE = 5,            /* throttle lever */
    QFM_COCKPIT_LAMP_ENGINE_RPM = 71,        /* rpm 60 per cent or more, aux switch off */
    QFM_COCKPIT_LAMP_CANOPY = 72,            /* canopy not closed */
    QFM_COCKPIT_ARG_UNUSED = 73,             /* never written: the host's */
    QFM_COCKPIT_LAMP_LOW_PRESSURE_A = 74,    /* main or backup below 1660 psi */
    QFM_COCKPIT_LAMP_LOW_PRESSURE_B = 75,    /* same as 74 */
    QFM_COCKPIT_LAMP_RAT = 80,               /* ram-air turbine deployed past 0.25 */
    QFM_COCKPIT_LAMP_GTS_READY = 98,         /* starter ready */
    QFM_COCKPIT_LAMP_START = 99,             /* engine start in progress */
    QFM_COCKPIT_LAMP_STEER_FULL = 101,       /* full steering mode */
    QFM_COCKPIT_LAMP_GEAR_PANEL = 102,       /* gear panel switch as stored; not a lamp */
    QFM_COCKPIT_LAMP_HOOK_TRANSIT = 111,     /* hook between its stops */
    QFM_COCKPIT_LAMP_GEAR_TRANSIT = 120,     /* any leg between its stops */
    QFM_COCKPIT_LAMP_NOSE_DOWN = 121,        /* nose leg exactly down */
    QFM_COCKPIT_LAMP_LEFT_DOWN = 122,        /* left main leg exactly down */
    QFM_COCKPIT_LAMP_RIGHT_DOWN = 123,       /* right main leg exactly down */
    QFM_COCKPIT_ARG_LEFT_BRAKE = 124,        /* left main brake 0..1 */
    QFM_COCKPIT_ARG_RIGHT_BRAKE = 125,       /* right main brake 0..1 */
    QFM_COCKPIT_LAMP_FLAP_HALF = 127,        /* right flap exactly 0.5 */
    QFM_COCKPIT_LAMP_FLAP_FULL = 128,        /* right flap exactly 1 */
    QFM_COCKPIT_LAMP_BAR_READY = 131,        /* bar down and armed, weight on wheels */
    QFM_COCKPIT_LAMP_SPEED_BRAKE = 140,      /* speed brake not closed */
    QFM_COCKPIT_LAMP_SPEED_BRAKE_FULL = 141, /* speed brake fully out */
    QFM_COCKPIT_LAMP_HYDRAULICS_OUT = 149,   /* main, backup below 1660, standby below 800 psi */
    QFM_COCKPIT_LAMP_CABIN_ALTITUDE = 151,   /* cabin above 7467.6 m */
    QFM_COCKPIT_LAMP_GENERATOR_OFF = 153,    /* generator off line */
    QFM_COCKPIT_ARG_BUS_VOLTS = 304,         /* essential bus gauge, (volts - 21) / 8 */
    QFM_COCKPIT_ARG_ELEVATOR = 306,          /* elevator fraction */
    QFM_COCKPIT_ARG_ROLL_TRIM = 307,         /* roll trim -1..1 */
    QFM_COCKPIT_ARG_RUDDER_TRIM = 308,       /* rudder trim -1..1 */
    QFM_COCKPIT_ARG_BACKUP_PRESSURE = 309,   /* backup hydraulic psi / 4000 */
    QFM_COCKPIT_ARG_MAIN_PRESSURE = 310,     /* main hydraulic psi / 4000 */
    QFM_COCKPIT_ARG_BRAKE_PRESSURE = 311,    /* brake hydraulic psi / 4000 */
    QFM_COCKPIT_ARG_CABIN_ALTITUDE = 313,    /* cabin altitude m / 15240 */
    QFM_COCKPIT_ARG_LIGHT3 = 408,            /* cockpit light level 3 output */
    QFM_COCKPIT_ARG_LIGHT2 = 409,            /* cockpit light level 2 output */
    QFM_COCKPIT_ARG_LIGHT1 = 410,            /* cockpit light level 1 output */
    QFM_COCKPIT_LAMP_GEAR_TRANSIT_B = 411,   /* same as 120 */
    QFM_COCKPIT_ARG_COUNT = 412              /* an array this long receives every index */
} Qfm_Cockpit_Arg;

/* ---- Simulation events: ed_fm_push/pop_simulation_event ----------------
 * Only events of one type are exchanged. The first parameter of a pushed
 * event becomes the event state; the frame turns the state into at most one
 * pending request, which the pop hands back with its three parameters. */
#define QFM_EVENT_TYPE 4u
typedef enum Qfm_Event_State {
    QFM_EVENT_STATE_NONE = 0,
    QFM_EVENT_STATE_AWAIT_RPM = 1, /* request RPM_REACHED once rpm is above 98 % */
    QFM_EVENT_STATE_MOMENT = 2,    /* each frame adds -120000 N*m about body z */
    QFM_EVENT_STATE_CLEAR = 3      /* request CLEAR */
} Qfm_Event_State;
typedef enum Qfm_Event_Request {
    QFM_EVENT_REQUEST_NONE = 0,
    QFM_EVENT_REQUEST_RPM_REACHED = 1, /* popped with parameters 2, 2, 62 */
    QFM_EVENT_REQUEST_CLEAR = 2        /* popped with parameters 0, 0, 0 */
} Qfm_Event_Request;
#define QFM_EVENT_RPM_REACHED_P0 2.0f
#define QFM_EVENT_RPM_REACHED_P1 2.0f
#define QFM_EVENT_RPM_REACHED_P2 62.0f

/* ---- Gear posts: ed_fm_suspension_feedback(post, record) ---------------- */
typedef enum Qfm_Gear_Post {
    QFM_POST_NOSE = 0,
    QFM_POST_RIGHT = 1,
    QFM_POST_LEFT = 2
} Qfm_Gear_Post;
#define QFM_SUSPENSION_COMPRESSION 7 /* index of the strut compression, m; > 0 loaded */

/* Damage elements: ed_fm_on_damage keeps elements 0 .. QFM_DAMAGE_ELEMENTS-1. */
#define QFM_DAMAGE_ELEMENTS 336

/* ---- Cockpit parameters the library writes by name ---------------------
 * Through the host's cockpit library, ed_cockpit_update_parameter_with_number. */
#define QFM_COCKPIT_PARAM_ESS_BUS "ESS_SERV_BUS"   /* essential bus, V */
#define QFM_COCKPIT_PARAM_GEN_BUS "GEN_BUS"        /* generator bus, V */
#define QFM_COCKPIT_PARAM_TAT "TOTAL_AIR_TEMP"     /* total air temperature, deg C */
#define QFM_COCKPIT_PARAM_EGT "EGT"                /* exhaust gas temperature, deg C */
#define QFM_COCKPIT_PARAM_GTS_RPM "GTS_RPM"        /* starter rpm, per cent */
#define QFM_COCKPIT_PARAM_N1_RPM "N1_RPM"          /* fan rpm, per cent */
#define QFM_COCKPIT_PARAM_ENGINE_TEST "engineTest" /* handle only, never written */
#define QFM_COCKPIT_PARAM_PITOT_ICED "PITOT_ICED"  /* 1.0 iced, 0.0 clear */
#define QFM_COCKPIT_PARAM_CCIP "CCIP_V"            /* impact-point depression, rad */
#define QFM_COCKPIT_PARAM_VV_VERT "VelVecVert"     /* velocity vector, vertical, rad */
#define QFM_COCKPIT_PARAM_VV_HORZ "VelVecHorz"     /* velocity vector, horizontal, rad */
#define QFM_COCKPIT_PARAM_WIND_X "WIND_X"          /* world wind x, m/s */
#define QFM_COCKPIT_PARAM_WIND_Y "WIND_Y"          /* world wind z, m/s */
#define QFM_COCKPIT_PARAM_TEST "TEST_PARAM"        /* handle asked for and discarded */

#endif /* QUILLON_FM_IDS_H */
