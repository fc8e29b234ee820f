// The reference target board: an Avalon slave on the DAQ's digital ports with
// slave 0 (8192 words of memory) and slave 2 (the DAC and ADC registers).
//
// The DAQ's lines are asynchronous to the board clock: every one of them goes
// through two flip-flops before the logic looks at it, and one more stage gives
// the edges. A cycle is decoded from the synchronised lines:
//   address strobe high      the address word is latched (the last word seen);
//   write strobe falls       the data word is written (read strobe and address
//                            strobe inactive);
//   read strobe falls        the word is fetched and driven on the bus until the
//                            read strobe rises again (write strobe and address
//                            strobe inactive);
//   both strobes low         nothing happens.
// Only slaves 0 and 2 answer a read; other slaves leave the bus undriven.
//
// The analog parts sit outside: the DAC's codes and switches are outputs, and the
// ADC is a converter that samples both inputs on adc_start and answers with one
// adc_done pulse carrying both results.
`default_nettype none

module korvane_board (
    input  wire        clk,          // board clock
    input  wire        rst_n,        // reset, active low: registers to 0, lines seen idle
    // Lines from the DAQ's ports
    input  wire [15:0] bus_in,       // ports 0 and 1: address/data word, port 0 the low byte
    input  wire        as_in,        // port 2 line 0: address strobe, active high
    input  wire        rd_n_in,      // port 2 line 1: read strobe, active low
    input  wire        wr_n_in,      // port 2 line 2: write strobe, active low
    output wire [15:0] bus_out,      // the word the board drives on ports 0 and 1
    output wire        bus_oe,       // 1 while the board drives ports 0 and 1
    // DAC
    output wire [7:0]  dac0_code,
    output wire [7:0]  dac1_code,
    output wire [1:0]  dac_on,       // channel switches
    output wire        dac_ref_on,   // reference switch
    // ADC
    output reg         adc_start,    // one cycle: sample both inputs, convert
    input  wire        adc_done,     // one cycle: adc_data0/1 hold the results
    input  wire [11:0] adc_data0,
    input  wire [11:0] adc_data1,
    // Back door for the bench: read any register, or set it as the board's own logic would
    input  wire [2:0]  dbg_slave,
    input  wire [12:0] dbg_address,
    input  wire        dbg_poke,     // one cycle: write dbg_wdata
    input  wire [15:0] dbg_wdata,
    output wire [15:0] dbg_rdata,
    output wire        dbg_answer    // the slave exists
);
    // ---- synchronisers: {write strobe, read strobe, address strobe, bus} ----
    localparam [18:0] IDLE = 19'b11_0_0000000000000000;
    reg [18:0] sync1, sync2;
    reg [2:0] prev;  // the strobes one cycle earlier
    always @(posedge clk) begin
        if (!rst_n) begin
            sync1 <= IDLE;
            sync2 <= IDLE;
            prev <= IDLE[18:16];
        end else begin
            sync1 <= {wr_n_in, rd_n_in, as_in, bus_in};
            sync2 <= sync1;
            prev <= sync2[18:16];
        end
    end

    wire [15:0] bus = sync2[15:0];
    // Marked public: korvane's VCD shows them under the board's scope.
    wire as /* verilator public_flat_rd */ = sync2[16];
    wire rd /* verilator public_flat_rd */ = !sync2[17];
    wire wr /* verilator public_flat_rd */ = !sync2[18];
    wire was_rd = !prev[1] && prev[2] && !prev[0];  // the previous cycle was reading
    wire was_wr = !prev[2];
    wire reading = rd && !wr && !as;
    wire write_go /* verilator public_flat_rd */ = wr && !rd && !as && !was_wr;
    wire read_go /* verilator public_flat_rd */ = reading && !was_rd;

    // ---- address latch ----
    reg [15:0] address_word /* verilator public_flat_rd */;
    always @(posedge clk)
        if (!rst_n) address_word <= 0;
        else if (as) address_word <= bus;
    wire [2:0] slave = address_word[2:0];
    wire [12:0] address = address_word[15:3];

    // ---- slave 0: memory ----
    reg [15:0] mem [0:8191];
    wire mem_we /* verilator public_flat_rd */ = write_go && slave == 3'd0;
    wire dbg_mem_we = dbg_poke && dbg_slave == 3'd0;
    always @(posedge clk) begin
        if (mem_we) mem[address] <= bus;
        if (dbg_mem_we) mem[dbg_address] <= dbg_wdata;
    end

    // ---- slave 2: DAC and ADC ----
    reg [2:0] control;
    reg [7:0] code0, code1;
    reg [15:0] config_word, spare0, spare1, spare2;
    reg [11:0] result0, result1;
    reg busy /* verilator public_flat_rd */;
    reg irq;

    // A conversion that ends this cycle counts before any access in it.
    wire finish = busy && adc_done;
    wire busy_now = busy && !adc_done;
    wire irq_now = irq || (finish && config_word[2]);
    wire [11:0] result0_now = finish ? adc_data0 : result0;
    wire [11:0] result1_now = finish ? adc_data1 : result1;

    function [15:0] periph_read(input [12:0] r);
        case (r)
            13'h00: periph_read = {13'd0, control};
            13'h02: periph_read = {8'd0, code0};
            13'h03: periph_read = {8'd0, code1};
            13'h10: periph_read = config_word;
            13'h11: periph_read = {13'd0, irq_now, 1'b0, busy_now};
            13'h12: periph_read = spare0;
            13'h13: periph_read = spare1;
            13'h14: periph_read = spare2;
            13'h16: periph_read = {4'd0, result0_now};
            13'h17: periph_read = {4'd0, result1_now};
            default: periph_read = 16'd0;
        endcase
    endfunction

    wire p_bus = write_go && slave == 3'd2;
    wire p_dbg = dbg_poke && dbg_slave == 3'd2;
    wire p_we = p_bus || p_dbg;
    wire [12:0] p_reg = p_bus ? address : dbg_address;
    wire [15:0] p_data = p_bus ? bus : dbg_wdata;

    always @(posedge clk) begin
        adc_start <= 1'b0;
        if (!rst_n) begin
            control <= 0;
            code0 <= 0;
            code1 <= 0;
            config_word <= 0;
            spare0 <= 0;
            spare1 <= 0;
            spare2 <= 0;
            result0 <= 0;
            result1 <= 0;
            busy <= 0;
            irq <= 0;
        end else begin
            busy <= busy_now;
            irq <= irq_now;
            result0 <= result0_now;
            result1 <= result1_now;
            if (p_we) begin
                case (p_reg)
                    13'h00: control <= p_data[2:0];
                    13'h02: code0 <= p_data[7:0];
                    13'h03: code1 <= p_data[7:0];
                    13'h10: config_word <= p_data;
                    13'h11:
                        if (p_dbg) irq <= p_data[2];
                        else begin
                            // Acknowledge, then a software request; start unless one runs.
                            if (p_data[1]) irq <= 1'b0;
                            if (p_data[2]) irq <= 1'b1;
                            if (p_data[0] && !busy_now) begin
                                busy <= 1'b1;
                                adc_start <= 1'b1;
                            end
                        end
                    13'h12: spare0 <= p_data;
                    13'h13: spare1 <= p_data;
                    13'h14: spare2 <= p_data;
                    13'h16: if (p_dbg) result0 <= p_data[11:0];
                    13'h17: if (p_dbg) result1 <= p_data[11:0];
                    default: ;
                endcase
            end
        end
    end

    assign dac0_code = code0;
    assign dac1_code = code1;
    assign dac_on = control[1:0];
    assign dac_ref_on = control[2];

    // ---- read data: fetched when the read strobe falls, driven while it stays low ----
    reg [15:0] rdata;
    reg oe /* verilator public_flat_rd */;
    always @(posedge clk) begin
        if (!rst_n || !reading) begin
            oe <= 1'b0;
            rdata <= 16'd0;
        end else if (read_go) begin
            oe <= slave == 3'd0 || slave == 3'd2;
            rdata <= slave == 3'd0 ? mem[address] : slave == 3'd2 ? periph_read(address) : 16'd0;
        end
    end
    assign bus_out = rdata;
    assign bus_oe = oe;

    assign dbg_answer = dbg_slave == 3'd0 || dbg_slave == 3'd2;
    assign dbg_rdata = dbg_slave == 3'd0 ? mem[dbg_address] : dbg_slave == 3'd2 ? periph_read(dbg_address) : 16'd0;
endmodule

`default_nettype wire
