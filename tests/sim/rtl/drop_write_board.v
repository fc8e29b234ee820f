// The reference board with a fault for the cross-check to find: bus writes to
// slave 0, word 0x11 are lost (the write strobe never reaches the board).
`default_nettype none

module drop_write_board #(parameter [15:0] DROPPED = {13'h0011, 3'd0}) (
    input  wire        clk,
    input  wire        rst_n,
    input  wire [15:0] bus_in,
    input  wire        as_in,
    input  wire        rd_n_in,
    input  wire        wr_n_in,
    output wire [15:0] bus_out,
    output wire        bus_oe,
    output wire [7:0]  dac0_code,
    output wire [7:0]  dac1_code,
    output wire [1:0]  dac_on,
    output wire        dac_ref_on,
    output wire        adc_start,
    input  wire        adc_done,
    input  wire [11:0] adc_data0,
    input  wire [11:0] adc_data1,
    input  wire [2:0]  dbg_slave,
    input  wire [12:0] dbg_address,
    input  wire        dbg_poke,
    input  wire [15:0] dbg_wdata,
    output wire [15:0] dbg_rdata,
    output wire        dbg_answer
);
    // The address word as the board latches it, two clocks behind the lines.
    reg [15:0] bus1, bus2, word;
    reg as1, as2;
    always @(posedge clk) begin
        bus1 <= bus_in;
        bus2 <= bus1;
        as1 <= as_in;
        as2 <= as1;
        if (as2) word <= bus2;
    end

    korvane_board board (
        .clk(clk), .rst_n(rst_n), .bus_in(bus_in), .as_in(as_in), .rd_n_in(rd_n_in),
        .wr_n_in(wr_n_in || word == DROPPED), .bus_out(bus_out), .bus_oe(bus_oe),
        .dac0_code(dac0_code), .dac1_code(dac1_code), .dac_on(dac_on), .dac_ref_on(dac_ref_on),
        .adc_start(adc_start), .adc_done(adc_done), .adc_data0(adc_data0), .adc_data1(adc_data1),
        .dbg_slave(dbg_slave), .dbg_address(dbg_address), .dbg_poke(dbg_poke), .dbg_wdata(dbg_wdata),
        .dbg_rdata(dbg_rdata), .dbg_answer(dbg_answer));
endmodule

`default_nettype wire
